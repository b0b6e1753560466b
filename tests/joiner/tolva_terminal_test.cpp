// TOLVA on a real 80x25 terminal: what the window shows at each stage.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include "platform/system_calls/fault_injection.h"

#include "part_files.h"
#include "terminal_session.h"
#include "tool_test.h"

namespace fs = std::filesystem;
using namespace test_support;

namespace {

const std::string kIndent(17, ' ');
const std::string kQuestion = "Press X to signal that it is finished, or G to go back and try again:";
const std::string kReady = kIndent + "AND NOW ENTER WHEN READY (X when complete):";

class JoinerOnTerminal : public ToolTest {
protected:
    void SetUp() override { SUITE_REQUIRE(TmuxAvailable(), "tmux is not installed"); }
    std::string Command(const std::string& arguments) { return ToolCommand("TOLVA", arguments); }
    std::string MakeParts(std::initializer_list<std::size_t> sizes) { return ::MakeParts(folder.Path(), sizes); }
    void Confirm(TerminalSession& terminal) {
        ASSERT_TRUE(terminal.WaitForText("type y: ")) << terminal.ScreenText();
        terminal.Type("y");
        terminal.Press("Enter");
    }
};

}  // namespace

TEST_F(JoinerOnTerminal, TheMissingPartMessageStandsAtTheTopOfTheClearedWindow) {
    std::string joined = MakeParts({1433600, 1433600, 132800});
    TerminalSession terminal(Command("out.dat part 1"), folder.Path());
    Confirm(terminal);
    ASSERT_TRUE(terminal.WaitForText("somehow not there")) << terminal.ScreenText();
    const std::string message = "Okay. The file for part4.ZIP is somehow not there.";
    EXPECT_TRUE(ShowsExactly(terminal, {message, kQuestion}, Cursor{static_cast<int>(kQuestion.size()) + 1, 1}));

    terminal.Type("x");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    EXPECT_EQ(terminal.ExitStatus(), 0);
    EXPECT_TRUE(ShowsExactly(terminal, {message, kQuestion + " x", "", "Many thanks and good luck."}));
    EXPECT_EQ(ReadWholeFile(folder / "out.dat"), joined);
}

TEST_F(JoinerOnTerminal, FloppyModeShowsTheStarsThenTheNextNameAndTheReadyPrompt) {
    std::string joined = MakeParts({1433600, 132800});
    TerminalSession terminal(Command("out.dat part 1 F"), folder.Path());
    Confirm(terminal);
    ASSERT_TRUE(terminal.WaitForText("WHEN READY")) << terminal.ScreenText();
    std::vector<std::string> screen = terminal.Screen();
    // After the confirmation and the greeting: the first part's name, then the prompt.
    auto name = std::find(screen.begin(), screen.end(), kIndent + "part1.zip");
    ASSERT_NE(name, screen.end()) << terminal.ScreenText();
    EXPECT_EQ(*(name + 1), kReady);

    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("part2.zip")) << terminal.ScreenText();
    ASSERT_TRUE(terminal.WaitForText("(X when complete)")) << terminal.ScreenText();
    screen = terminal.Screen();
    // One floppy unit is 25 full blocks and one empty read: 26 stars.
    EXPECT_EQ(screen[0], "TOLVA Working well" + std::string(26, '*') + kIndent + "part2.zip");
    EXPECT_EQ(screen[1], kReady);

    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("part3.zip")) << terminal.ScreenText();
    ASSERT_TRUE(terminal.WaitForText("(X when complete)")) << terminal.ScreenText();
    // 132800 bytes: two full blocks, one short block and the empty read.
    EXPECT_EQ(terminal.Screen()[0], "TOLVA Working well****" + kIndent + "part3.zip");

    terminal.Type("X");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    EXPECT_EQ(terminal.ExitStatus(), 0);
    screen = terminal.Screen();
    EXPECT_EQ(screen[0], "Many thanks and good luck.");  // the window was cleared first
    EXPECT_EQ(ReadWholeFile(folder / "out.dat"), joined);
}

TEST_F(JoinerOnTerminal, GTriesTheMissingPartAgainOnceItIsThere) {
    std::string first = MakeParts({70000});
    TerminalSession terminal(Command("out.dat part 1"), folder.Path());
    Confirm(terminal);
    ASSERT_TRUE(terminal.WaitForText("part2.ZIP is somehow not there.")) << terminal.ScreenText();
    std::string second = PatternBytes(1000, 99);
    WriteWholeFile(folder / "part2.zip", second);
    terminal.Type("G");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("part3.ZIP is somehow not there.")) << terminal.ScreenText();
    EXPECT_EQ(terminal.Screen()[0], "Okay. The file for part3.ZIP is somehow not there.");
    terminal.Type("q");  // neither x nor g: the question comes again
    terminal.Press("Enter");
    const std::string message = "Okay. The file for part3.ZIP is somehow not there.";
    ASSERT_TRUE(terminal.WaitForText(kQuestion + " q\n" + message + "\n" + kQuestion + "\n")) << terminal.ScreenText();
    EXPECT_TRUE(ShowsExactly(terminal, {message, kQuestion + " q", message, kQuestion},
                             Cursor{static_cast<int>(kQuestion.size()) + 1, 3}));
    terminal.Type("x");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    EXPECT_EQ(terminal.ExitStatus(), 0);
    EXPECT_EQ(ReadWholeFile(folder / "out.dat"), first + second);
}

// Stopped from outside (SIGSTOP, which no program sees) while the shell took
// the terminal back into line mode with echo, then continued: TOLVA takes
// its single, unechoed keys again, and a key arrives alone.
TEST_F(JoinerOnTerminal, AfterAStopFromOutsideKeysComeSingleAndUnechoedAgain) {
    MakeParts({1000});
    TerminalSession terminal(Command("out.dat part 1"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("type y: ")) << terminal.ScreenText();
    int tolva = terminal.ToolProcess();
    ASSERT_GT(tolva, 0);
    ASSERT_EQ(kill(tolva, SIGSTOP), 0);
    ProcessOptions options;
    options.inputFromNullDevice = true;
    RunProcess("/bin/sh", {"-c", "stty sane < '" + terminal.TerminalDevice() + "'"}, options);
    ASSERT_NE(terminal.Settings().find(" icanon"), std::string::npos);
    ASSERT_EQ(kill(tolva, SIGCONT), 0);
    for (int waited = 0; waited < 2000 && terminal.Settings().find("-icanon") == std::string::npos; waited += 20) {
        usleep(20000);
    }
    terminal.Press("Left");  // taken by the line editor without a trace
    terminal.Type("y");
    ASSERT_TRUE(terminal.WaitForText("type y: y")) << terminal.ScreenText();
    EXPECT_EQ(terminal.ScreenText().find("^["), std::string::npos) << terminal.ScreenText();
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("somehow not there")) << terminal.ScreenText();
    terminal.Type("x");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    EXPECT_EQ(terminal.ExitStatus(), 0);
}

// G in floppy mode goes back to the part's name and the ready prompt, so
// that the diskette can be changed before the part is looked for again.
// Ctrl+Z at a prompt is a key the line editor ignores, never a stop (with
// job control, as in an interactive shell, TOLVA runs in a process group of
// its own, which a stop would stop).
TEST_F(JoinerOnTerminal, GInFloppyModeShowsThePartAndTheReadyPromptAgain) {
    MakeParts({1000});
    TerminalSession terminal("set -m; " + Command("out.dat part 1 F"), folder.Path());
    Confirm(terminal);
    ASSERT_TRUE(terminal.WaitForText("WHEN READY")) << terminal.ScreenText();
    terminal.Press({"C-z", "Enter"});
    ASSERT_TRUE(terminal.WaitForText(kIndent + "part2.zip")) << terminal.ScreenText();
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("somehow not there")) << terminal.ScreenText();
    terminal.Type("g");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText(kQuestion + " g\n" + kIndent + "part2.zip\n" + kReady)) << terminal.ScreenText();
    terminal.Type("x");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    EXPECT_EQ(terminal.ExitStatus(), 0);
}

// Each star is on the screen before the next block is copied: in the record
// of TOLVA's calls (its sweep program, which is TOLVA with the fault seam),
// a write to the terminal comes between every two block copies of a part.
TEST_F(JoinerOnTerminal, EachStarShowsBeforeTheNextBlockIsCopied) {
    constexpr int kBlocks = 4;
    MakeParts({kBlocks * 57344 + 10});
    fs::path log = folder / "calls.log";
    TerminalSession terminal("SUITE_SWEEP_PLAN='" + log.string() + "' " +
                                 (fs::path(SUITE_SWEEP_DIR) / "joiner_sweep").string() + " out.dat part 1",
                             folder.Path());
    Confirm(terminal);
    ASSERT_TRUE(terminal.WaitForText("somehow not there")) << terminal.ScreenText();
    terminal.Type("x");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForEnd());
    std::istringstream calls(ReadWholeFile(log));
    std::vector<int> writesAfterCopy;  // one entry a copy request
    std::string line;
    while (std::getline(calls, line)) {
        int kind = std::stoi(line);
        if (kind == static_cast<int>(platform::fault::Call::Copy)) writesAfterCopy.push_back(0);
        if (kind == static_cast<int>(platform::fault::Call::Write) && !writesAfterCopy.empty())
            ++writesAfterCopy.back();
    }
    ASSERT_GE(writesAfterCopy.size(), static_cast<std::size_t>(kBlocks)) << ReadWholeFile(log);
    for (int block = 0; block < kBlocks; ++block) EXPECT_GE(writesAfterCopy[block], 1) << block;
}
