// The converters' messages, which are drawn only on a real terminal: each
// run here happens in a tmux pane whose screen is read back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_process.h"
#include "terminal_session.h"

namespace {

using test_support::PatternBytes;
using test_support::ReadWholeFile;
using test_support::ScratchFolder;
using test_support::TerminalSession;
using test_support::TmuxAvailable;
using test_support::ToolPath;
using test_support::WriteWholeFile;

struct Tool {
    const char* name;
    const char* usageName;
    std::size_t expectedSize;
};

const Tool kTools[] = {{"TALMIROX3", "talmirox3", 750138}, {"TALMIRO3", "talmiro3", 750054},
                       {"TALMIROX", "talmirox", 750138}};

std::vector<std::string> HelpText(const Tool& tool) {
    std::string upper = tool.name;
    return {
        "TALMIRO and TALMIRO3 transforms 500x500 24-bit .bmp into the",
        "pure classical standard indexed greentone 500x500 BMP. To prepare",
        "such an image, select \"No compression\" and \"No color space info\".",
        "If there is \"color space info\", use TALMIROX and TALMIRO3X.",
        "For high-contrasting images, ..TALMIRO..3.. may be preferable.",
        "Required input file size TALMIRO  and TALMIRO3 : 750054 bytes.",
        "         input file size TALMIROX and TALMIROX3: 750138 bytes.",
        "This program works fast when input is prepared right, and can be",
        "used for automatic batch conversion purposes with ORVIK.",
        "It will also input palette from a file called \"talmiro.dat\".",
        "",  // the credit line: checked for its width only
        std::string("*****************Usage       ") + tool.usageName + " infile.bmp outfile.bmp",
        "***********where infile.bmp must exist already, and outfile.bmp",
        "********will be created, if you want to run this program.",
        "THIS MSWINDOWS PROGRAM, " + upper + ", OVERWRITES OUTPUT FILENAME.",
    };
}

const std::vector<std::string> kPaletteLines = {
    "",
    "    *********************pls be sure talmiro.dat",
    "    *********************is in same folder.",
    "    *********************this contains 'palette'.",
};
const std::vector<std::string> kInputLines = {"", "    *********************Pls check the input filename."};
const std::string kSizeMessage = "..............pls chk files and filenames";

// The shell line that runs the tool with the given argument text and then
// shows its exit code. The shell stays on afterwards: a pane that has ended
// scrolls by one row for its closing notice.
std::string CommandLine(const Tool& tool, const std::string& arguments) {
    std::string line = "'";
    line += ToolPath(tool.name).string();
    line += "' ";
    line += arguments;
    line += "; echo \"[exit $?]\"; sleep 60";
    return line;
}

// Runs the tool in the folder on a terminal of the given size and gives the
// screen once the exit code shows.
std::vector<std::string> RunOnTerminal(const Tool& tool, const std::string& arguments, const ScratchFolder& folder,
                                       int columns = 80, int rows = 25) {
    TerminalSession terminal(CommandLine(tool, arguments), folder.Path(), columns, rows);
    EXPECT_TRUE(terminal.Started());
    EXPECT_TRUE(terminal.WaitForText("[exit "));
    EXPECT_TRUE(terminal.WaitForText("]"));
    return terminal.Screen();
}

// The screen holds exactly these rows from the top, then the exit code, then
// nothing.
void ExpectScreen(const std::vector<std::string>& screen, const std::vector<std::string>& rows, int exitCode = 0) {
    std::string exitRow = "[exit " + std::to_string(exitCode) + "]";
    for (std::size_t row = 0; row < screen.size(); ++row) {
        EXPECT_EQ(screen[row], row < rows.size() ? rows[row] : row == rows.size() ? exitRow : "") << "row " << row;
    }
}

class GreentoneMessages : public testing::Test {
protected:
    void SetUp() override {
        if (!TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
    }
};

TEST_F(GreentoneMessages, HelpTextWhenAnArgumentIsMissing) {
    for (const Tool& tool : kTools) {
        SCOPED_TRACE(tool.name);
        for (const char* arguments : {"", "in.bmp", "in.bmp ''"}) {
            SCOPED_TRACE(arguments);
            ScratchFolder folder;
            std::vector<std::string> screen = RunOnTerminal(tool, arguments, folder);
            std::vector<std::string> expected = HelpText(tool);
            EXPECT_FALSE(screen[10].empty());
            expected[10] = screen[10];
            ExpectScreen(screen, expected);
            EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
        }
    }
}

// Every help line is padded to 65 characters: in a window 65 columns wide each
// one fills its row, so the line end leaves the row below it empty; in one of
// 66 columns none of them wraps.
TEST_F(GreentoneMessages, HelpLinesArePaddedTo65Characters) {
    const Tool& tool = kTools[0];
    ScratchFolder folder;
    std::vector<std::string> narrow = RunOnTerminal(tool, "", folder, 65, 40);
    std::vector<std::string> expected;
    for (const std::string& line : HelpText(tool)) {
        expected.push_back(line);
        expected.push_back("");
    }
    expected[20] = narrow[20];
    ExpectScreen(narrow, expected);

    std::vector<std::string> wide = RunOnTerminal(tool, "", folder, 66, 40);
    expected = HelpText(tool);
    expected[10] = wide[10];
    ExpectScreen(wide, expected);
}

TEST_F(GreentoneMessages, PaletteLinesComeBeforeTheInputLine) {
    const Tool& tool = kTools[1];
    struct Case {
        const char* what;
        bool palette, paletteReadOnly, input, inputReadOnly;
        const std::vector<std::string>& lines;
    };
    const Case cases[] = {
        {"neither palette file nor input", false, false, false, false, kPaletteLines},
        {"no palette file", false, false, true, false, kPaletteLines},
        {"a read-only palette file", true, true, true, false, kPaletteLines},
        {"no input", true, false, false, false, kInputLines},
        {"a read-only input", true, false, true, true, kInputLines},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        ScratchFolder folder;
        if (each.palette) WriteWholeFile(folder / "talmiro.dat", PatternBytes(1078));
        if (each.paletteReadOnly) {
            ASSERT_EQ(::chmod((folder / "talmiro.dat").c_str(), 0444), 0);
        }
        if (each.input) WriteWholeFile(folder / "in.bmp", PatternBytes(tool.expectedSize));
        if (each.inputReadOnly) {
            ASSERT_EQ(::chmod((folder / "in.bmp").c_str(), 0444), 0);
        }
        ExpectScreen(RunOnTerminal(tool, "in.bmp out.bmp", folder), each.lines);
        EXPECT_FALSE(std::filesystem::exists(folder / "out.bmp"));
    }
}

TEST_F(GreentoneMessages, NothingOnSuccessElseTheSizeMessage) {
    for (const Tool& tool : kTools) {
        SCOPED_TRACE(tool.name);
        const Tool& otherKind = kTools[tool.expectedSize == 750054 ? 0 : 1];
        for (std::size_t size : {tool.expectedSize, otherKind.expectedSize, std::size_t{0}, std::size_t{900000}}) {
            SCOPED_TRACE(size);
            ScratchFolder folder;
            WriteWholeFile(folder / "talmiro.dat", PatternBytes(1078));
            WriteWholeFile(folder / "in.bmp", PatternBytes(size));
            std::vector<std::string> screen = RunOnTerminal(tool, "in.bmp out.bmp", folder);
            if (size == tool.expectedSize) {
                ExpectScreen(screen, {});
            } else {
                ExpectScreen(screen, {kSizeMessage});
            }
            EXPECT_EQ(ReadWholeFile(folder / "out.bmp").size(), 251078u);
        }
    }
}

// The output comes before the size test: when it cannot be created, the run
// ends with the report and the size message never shows.
TEST_F(GreentoneMessages, RunTimeErrorReportInsteadOfTheSizeMessage) {
    const Tool& tool = kTools[2];
    ScratchFolder folder;
    WriteWholeFile(folder / "talmiro.dat", PatternBytes(1078));
    WriteWholeFile(folder / "in.bmp", PatternBytes(1000));
    std::vector<std::string> screen = RunOnTerminal(tool, "in.bmp nowhere/out.bmp", folder);
    EXPECT_EQ(screen[0].rfind("Runtime error 3 at $", 0), 0u) << screen[0];
    EXPECT_EQ(screen[0].size(), 28u);
    EXPECT_EQ(screen[1], "  $" + screen[0].substr(20));
    ExpectScreen(screen, {screen[0], screen[1], ""}, 3);
}

}  // namespace
