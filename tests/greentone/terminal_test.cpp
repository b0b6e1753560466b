// The converters' messages, which are drawn only on a real terminal: each
// run here happens in a tmux pane whose screen is read back once it ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_process.h"
#include "terminal_session.h"

namespace {

using namespace test_support;

struct Tool {
    const char* name;
    const char* usageName;
    std::size_t expectedSize;
};

const Tool kTools[] = {
    {"TALMIROX3", "talmirox3", 750138}, {"TALMIRO3", "talmiro3", 750054}, {"TALMIROX", "talmirox", 750138}};

// Row 10, the credit line, is left empty here: it is checked for text only.
constexpr std::size_t kCreditRow = 10;

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
        "",
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

class GreentoneMessages : public testing::Test {
protected:
    void SetUp() override { SUITE_REQUIRE(TmuxAvailable(), "tmux is not installed"); }

    // Runs the tool in the folder on a terminal of the given size until it
    // has ended with the exit status.
    void RunToEnd(TerminalSession& terminal, int exitStatus = 0) {
        ASSERT_TRUE(terminal.Started());
        ASSERT_TRUE(terminal.WaitForEnd()) << terminal.ScreenText();
        EXPECT_EQ(terminal.ExitStatus(), exitStatus);
    }

    // The help text, with the credit line as the terminal shows it once it
    // is known to be there.
    static std::vector<std::string> ShownHelpText(const Tool& tool, const TerminalSession& terminal,
                                                  std::size_t creditRow = kCreditRow) {
        std::vector<std::string> expected = HelpText(tool);
        std::string credit = terminal.Screen()[creditRow];
        EXPECT_FALSE(credit.empty());
        expected[kCreditRow] = credit;
        return expected;
    }
};

TEST_F(GreentoneMessages, HelpTextWhenAnArgumentIsMissing) {
    for (const Tool& tool : kTools) {
        for (const char* arguments : {"", "in.bmp", "in.bmp ''"}) {
            SCOPED_TRACE(testing::Message() << tool.name << " " << arguments);
            ScratchFolder folder;
            TerminalSession terminal(ToolCommand(tool.name, arguments), folder.Path());
            RunToEnd(terminal);
            EXPECT_TRUE(ShowsExactly(terminal, ShownHelpText(tool, terminal)));
            EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
        }
    }
}

// Every help line is padded to 65 characters: in a window 65 columns wide each
// one fills its row, so the line end leaves the row below it empty; in one of
// 66 columns none of them wraps.
TEST_F(GreentoneMessages, HelpTextIsPaddedTo65Columns) {
    const Tool& tool = kTools[0];
    ScratchFolder folder;
    TerminalSession narrow(ToolCommand(tool.name, ""), folder.Path(), 65, 40);
    RunToEnd(narrow);
    std::vector<std::string> everyOtherRow;
    for (const std::string& line : ShownHelpText(tool, narrow, 2 * kCreditRow)) {
        everyOtherRow.push_back(line);
        everyOtherRow.push_back("");
    }
    EXPECT_TRUE(ShowsExactly(narrow, everyOtherRow));

    TerminalSession wide(ToolCommand(tool.name, ""), folder.Path(), 66, 40);
    RunToEnd(wide);
    EXPECT_TRUE(ShowsExactly(wide, ShownHelpText(tool, wide)));
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
        if (each.paletteReadOnly) MakeReadOnly(folder / "talmiro.dat");
        if (each.input) WriteWholeFile(folder / "in.bmp", PatternBytes(tool.expectedSize));
        if (each.inputReadOnly) MakeReadOnly(folder / "in.bmp");
        TerminalSession terminal(ToolCommand(tool.name, "in.bmp out.bmp"), folder.Path());
        RunToEnd(terminal);
        EXPECT_TRUE(ShowsExactly(terminal, each.lines));
        EXPECT_FALSE(std::filesystem::exists(folder / "out.bmp"));
    }
}

TEST_F(GreentoneMessages, NothingOnSuccessElseTheSizeMessage) {
    for (const Tool& tool : kTools) {
        const Tool& otherKind = kTools[tool.expectedSize == 750054 ? 0 : 1];
        for (std::size_t size : {tool.expectedSize, otherKind.expectedSize, std::size_t{0}, std::size_t{900000}}) {
            SCOPED_TRACE(testing::Message() << tool.name << " with " << size << " bytes");
            ScratchFolder folder;
            WriteWholeFile(folder / "talmiro.dat", PatternBytes(1078));
            WriteWholeFile(folder / "in.bmp", PatternBytes(size));
            TerminalSession terminal(ToolCommand(tool.name, "in.bmp out.bmp"), folder.Path());
            RunToEnd(terminal);
            std::vector<std::string> shown;
            if (size != tool.expectedSize) shown = {kSizeMessage};
            EXPECT_TRUE(ShowsExactly(terminal, shown));
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
    TerminalSession terminal(ToolCommand(tool.name, "in.bmp nowhere/out.bmp"), folder.Path());
    RunToEnd(terminal, 3);
    std::string report = terminal.Screen()[0];
    EXPECT_EQ(report.rfind("Runtime error 3 at $", 0), 0u) << report;
    EXPECT_EQ(report.size(), 28u);
    EXPECT_TRUE(ShowsExactly(terminal, {report, "  $" + report.substr(20), ""}));
}

}  // namespace
