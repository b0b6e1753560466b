// The window console on real terminals (tmux panes of 80x25) and with keys
// from pipes: where text lands, how keys are read, and that the terminal's
// settings come back on every end.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "run_process.h"
#include "terminal_session.h"

namespace {

using test_support::ProcessOptions;
using test_support::RunProcess;
using test_support::ScratchFolder;
using test_support::TerminalSession;

const std::filesystem::path kProbe = WINDOW_PROBE;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The probe with the terminal's settings saved before and after it; its
// exit status stays the command's. No core file is written.
std::string Wrapped(const std::string& arguments) {
    return "ulimit -c 0; stty -g > before; '" + kProbe.string() + "' " + arguments +
           "; status=$?; stty -g > after; (exit $status)";
}

// How the wrapped probe ended, and the settings before and after it.
struct Outcome {
    int status;
    std::string before;
    std::string after;
};

Outcome EndOf(const TerminalSession& terminal, const ScratchFolder& folder) {
    EXPECT_TRUE(terminal.WaitForEnd()) << terminal.ScreenText();
    return {terminal.ExitStatus(), Trimmed(test_support::ReadWholeFile(folder / "before")),
            Trimmed(test_support::ReadWholeFile(folder / "after"))};
}

// The terminal's settings as they are now, read from outside.
std::string SettingsOf(const TerminalSession& terminal) {
    ProcessOptions options;
    options.inputFromNullDevice = true;
    test_support::ProcessResult result =
        RunProcess("/bin/sh", {"-c", "stty -g < '" + terminal.TerminalDevice() + "'"}, options);
    return Trimmed(result.output);
}

// The probe itself: the only child of the pane's shell.
int ProbeProcess(const TerminalSession& terminal) {
    int shell = terminal.CommandProcess();
    std::ifstream children("/proc/" + std::to_string(shell) + "/task/" + std::to_string(shell) + "/children");
    int child = -1;
    children >> child;
    return child;
}

class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test_support::TmuxAvailable()) GTEST_SKIP() << "tmux is not installed";
    }
    ScratchFolder folder;
};

TEST_F(TerminalTest, TextLandsWhereTheDrawingRulesSay) {
    TerminalSession terminal(Wrapped("draw"), folder.Path());
    ASSERT_TRUE(terminal.Started());
    ASSERT_TRUE(terminal.WaitForText("done")) << terminal.ScreenText();
    std::vector<std::string> screen = terminal.Screen();
    std::vector<std::string> expected = {
        "aXc",
        "start",
        "one",
        "   two",
        "bell!",
        std::string(80, '='),
        "",  // a row of exactly 80 wraps once; then CR LF
        "01234567890123456789012345678901234567890123456789012345678901234567890123456789",
        "01234",
        "done",
    };
    for (std::size_t row = 0; row < expected.size(); ++row) EXPECT_EQ(screen[row], expected[row]) << "row " << row;
    EXPECT_EQ(terminal.CursorColumn(), 4);
    EXPECT_EQ(terminal.CursorRow(), 9);
    terminal.Press("Enter");
    Outcome outcome = EndOf(terminal, folder);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(TerminalTest, TextBelowTheLastRowScrollsTheWindow) {
    TerminalSession terminal(Wrapped("scroll"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("end")) << terminal.ScreenText();
    std::vector<std::string> screen = terminal.Screen();
    for (int row = 0; row < 24; ++row) EXPECT_EQ(screen[row], "line " + std::to_string(row + 7)) << "row " << row;
    EXPECT_EQ(screen[24], "end");
    terminal.Press("Enter");
    EXPECT_EQ(EndOf(terminal, folder).status, 0);
}

TEST_F(TerminalTest, LineEditorEditsWithTheTerminalsKeys) {
    TerminalSession terminal(Wrapped("reply 2"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("Reply: ")) << terminal.ScreenText();
    terminal.Type("hello");
    terminal.Press("Left");
    terminal.Press("Left");
    terminal.Press("BSpace");  // not at the end: nothing
    terminal.Press("End");
    terminal.Press("BSpace");
    terminal.Press("Home");
    terminal.Type("J");
    terminal.Press("F5");  // ignored
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("Got [Jell]")) << terminal.ScreenText();
    EXPECT_EQ(terminal.Screen()[0], "Reply: Jell");
    terminal.Type("wrong");
    terminal.Press("Escape");
    // The Esc is known as such only when nothing has followed it for a moment.
    ASSERT_TRUE(terminal.WaitForText("]\nReply:\n")) << terminal.ScreenText();
    terminal.Type("ok");
    terminal.Press("Enter");
    ASSERT_TRUE(terminal.WaitForText("Got [ok]")) << terminal.ScreenText();
    std::vector<std::string> screen = terminal.Screen();
    EXPECT_EQ(screen[2], "Reply: ok");
    Outcome outcome = EndOf(terminal, folder);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(TerminalTest, SpecialKeysComeAsZeroAndTheirCode) {
    TerminalSession terminal(Wrapped("keys 6"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("Keys:")) << terminal.ScreenText();
    terminal.Press("F1");
    terminal.Press("Up");
    terminal.Type("a");
    terminal.Press("Escape");
    ASSERT_TRUE(terminal.WaitForText("Keys: 0 59 0 72 97 27")) << terminal.ScreenText();
    terminal.Press("Enter");
    EXPECT_EQ(EndOf(terminal, folder).status, 0);
}

TEST_F(TerminalTest, KeysTypedBeforeThePromptAreKept) {
    TerminalSession terminal("sleep 1; " + Wrapped("reply 1"), folder.Path());
    terminal.Type("early");
    terminal.Press("Enter");
    EXPECT_TRUE(terminal.WaitForText("Got [early]")) << terminal.ScreenText();
    EXPECT_EQ(EndOf(terminal, folder).status, 0);
}

TEST_F(TerminalTest, ToneWithoutASpeakerRingsTheBellOutsideTheDrawing) {
    if (std::filesystem::exists("/dev/input/by-path/platform-pcspkr-event-spkr")) {
        GTEST_SKIP() << "a PC speaker is reachable here";
    }
    TerminalSession terminal(Wrapped("tone"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("toned")) << terminal.ScreenText();
    EXPECT_EQ(terminal.Screen()[0], "toned");
    EXPECT_EQ(terminal.CursorColumn(), 5);
    terminal.Press("Enter");
    EXPECT_EQ(EndOf(terminal, folder).status, 0);
}

// How a run on the terminal ends, and the exit status the shell then sees.
struct Ending {
    const char* name;
    const char* mode;
    const char* shown;  // what the probe shows once it runs
    int signal;  // sent to the probe while it waits; SIGINT as Ctrl+C
    int status;  // as the shell sees it: 128 + n for signal n
};

// Names the case in test listings.
void PrintTo(const Ending& ending, std::ostream* out) { *out << ending.name; }

class TerminalRestoredTest : public TerminalTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(TerminalRestoredTest, SettingsAreAsFoundAfterTheEnd) {
    const Ending& ending = GetParam();
    TerminalSession terminal(Wrapped(ending.mode), folder.Path());
    ASSERT_TRUE(terminal.WaitForText(ending.shown)) << terminal.ScreenText();
    std::string before = Trimmed(test_support::ReadWholeFile(folder / "before"));
    if (ending.mode[0] != 'f') {
        // While the probe waits for keys the terminal is switched.
        EXPECT_NE(SettingsOf(terminal), before);
    }
    if (ending.signal == SIGINT) {
        terminal.Press("C-c");
    } else if (ending.signal != 0) {
        int probe = ProbeProcess(terminal);
        ASSERT_GT(probe, 0);
        kill(probe, ending.signal);
    } else if (ending.mode[0] != 'f') {
        terminal.Press("Enter");
    }
    Outcome outcome = EndOf(terminal, folder);
    EXPECT_EQ(outcome.status, ending.status);
    EXPECT_EQ(outcome.after, outcome.before);
    EXPECT_FALSE(outcome.after.empty());
}

// Every catchable signal whose default action ends a process: the terminal
// comes back, then the signal ends the probe as it would any process. The
// signals of processor faults end through the run-time error report.
INSTANTIATE_TEST_SUITE_P(Endings, TerminalRestoredTest,
                         ::testing::Values(Ending{"EndProgram", "reply 1", "Reply: ", 0, 0},
                                           Ending{"ReturnFromMain", "return", "return", 0, 0},
                                           Ending{"RunTimeError", "error", "error", 0, 2},
                                           Ending{"ProcessorFault", "fault", "Runtime error 216 at $", 0, 216},
                                           Ending{"CtrlC", "reply 1", "Reply: ", SIGINT, 130},
                                           Ending{"HUP", "reply 1", "Reply: ", SIGHUP, 128 + SIGHUP},
                                           Ending{"QUIT", "reply 1", "Reply: ", SIGQUIT, 128 + SIGQUIT},
                                           Ending{"ILL", "reply 1", "Reply: ", SIGILL, 128 + SIGILL},
                                           Ending{"TRAP", "reply 1", "Reply: ", SIGTRAP, 128 + SIGTRAP},
                                           Ending{"ABRT", "reply 1", "Reply: ", SIGABRT, 128 + SIGABRT},
                                           Ending{"BUS", "reply 1", "Reply: ", SIGBUS, 216},
                                           Ending{"FPE", "reply 1", "Reply: ", SIGFPE, 200},
                                           Ending{"SEGV", "reply 1", "Reply: ", SIGSEGV, 216},
                                           Ending{"USR1", "reply 1", "Reply: ", SIGUSR1, 128 + SIGUSR1},
                                           Ending{"USR2", "reply 1", "Reply: ", SIGUSR2, 128 + SIGUSR2},
                                           Ending{"ALRM", "reply 1", "Reply: ", SIGALRM, 128 + SIGALRM},
                                           Ending{"TERM", "reply 1", "Reply: ", SIGTERM, 128 + SIGTERM},
                                           Ending{"XCPU", "reply 1", "Reply: ", SIGXCPU, 128 + SIGXCPU},
                                           Ending{"VTALRM", "reply 1", "Reply: ", SIGVTALRM, 128 + SIGVTALRM},
                                           Ending{"PROF", "reply 1", "Reply: ", SIGPROF, 128 + SIGPROF},
                                           Ending{"SYS", "reply 1", "Reply: ", SIGSYS, 128 + SIGSYS}),
                         [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

// --- keys from pipes and files; output that is no terminal -------------------

TEST(PipedKeysTest, LinesArriveWithLfOrCrLfAndNothingIsDrawnIntoAPipe) {
    ProcessOptions options;
    options.input = "yes\r\nno\n";
    test_support::ProcessResult result = RunProcess(kProbe, {"reply", "2", "noted"}, options);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.errors, "reply:[yes]\r\nreply:[no]\r\n");
    EXPECT_EQ(result.output, "");
}

TEST(PipedKeysTest, WaitingPastTheEndOfThePipeEndsWithReadFault) {
    ProcessOptions options;
    options.input = "only\n";
    test_support::ProcessResult result = RunProcess(kProbe, {"reply", "3", "noted"}, options);
    EXPECT_EQ(result.exitCode, 161);
    EXPECT_EQ(result.errors.substr(0, 31), "reply:[only]\r\nRuntime error 161");
    ProcessOptions empty;
    empty.inputFromNullDevice = true;
    EXPECT_EQ(RunProcess(kProbe, {"keys", "1"}, empty).exitCode, 161);
}

TEST(PipedKeysTest, TakeKeyReadsPipedBytesButThePollSeesNone) {
    ProcessOptions options;
    options.input = "a\n";
    test_support::ProcessResult keys = RunProcess(kProbe, {"keys", "2", "noted"}, options);
    EXPECT_EQ(keys.errors.substr(0, 14), "key:97\r\nkey:13");
    EXPECT_EQ(keys.exitCode, 161);  // the closing question finds no more keys
    test_support::ProcessResult poll = RunProcess(kProbe, {"poll"}, options);
    EXPECT_EQ(poll.errors, "waiting:0\r\n");
    EXPECT_EQ(poll.exitCode, 0);
}

TEST(PipedKeysTest, OutputRedirectedToAFileGetsNoTextAndTheExitCodeStays) {
    ScratchFolder folder;
    ProcessOptions options;
    options.input = "\n";
    options.outputFile = folder / "out.txt";
    test_support::ProcessResult result = RunProcess(kProbe, {"draw"}, options);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(test_support::ReadWholeFile(folder / "out.txt"), "");
}

}  // namespace
