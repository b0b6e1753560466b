// The window console on real terminals (tmux panes of 80x25) and with keys
// from pipes: where text lands, how keys are read, and that the terminal's
// settings come back on every end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
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

class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override { SUITE_REQUIRE(test_support::TmuxAvailable(), "tmux is not installed"); }
    // The probe ends well and gives the terminal's settings back.
    void ExpectGoodEnd(const TerminalSession& terminal) {
        Outcome outcome = EndOf(terminal, folder);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.after, outcome.before);
    }
    ScratchFolder folder;
};

// The drawing's rules are tested on the in-memory console; here the real
// terminal shows the cells where the drawing put them, and scrolls.
TEST_F(TerminalTest, TextLandsWhereItIsDrawnOnARealTerminal) {
    std::vector<std::string> scrolled;
    for (int n = 7; n <= 30; ++n) scrolled.push_back("line " + std::to_string(n));
    scrolled.push_back("end");
    struct Case {
        const char* mode;
        std::vector<std::string> rows;  // the last one a prompt, the cursor after it
    } cases[] = {
        {"draw",
         {"aXc", "start", "one", "   two", "bell!", std::string(80, '='),
          "",  // a row of exactly 80 wraps once; then CR LF
          "01234567890123456789012345678901234567890123456789012345678901234567890123456789", "01234", "done"}},
        {"scroll", scrolled},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.mode);
        TerminalSession terminal(Wrapped(each.mode), folder.Path());
        ASSERT_TRUE(terminal.WaitForText(each.rows.back())) << terminal.ScreenText();
        int promptRow = static_cast<int>(each.rows.size()) - 1;
        test_support::Cursor afterPrompt{static_cast<int>(each.rows.back().size()), promptRow};
        EXPECT_TRUE(test_support::ShowsExactly(terminal, each.rows, afterPrompt));
        terminal.Press("Enter");
        ExpectGoodEnd(terminal);
    }
}

TEST_F(TerminalTest, SpecialKeysComeAsZeroAndTheirCode) {
    TerminalSession terminal(Wrapped("keys 6"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("Keys:")) << terminal.ScreenText();
    terminal.Press({"F1", "Up", "a", "Escape"});
    ASSERT_TRUE(terminal.WaitForText("Keys: 0 59 0 72 97 27")) << terminal.ScreenText();
    terminal.Press("Enter");
    ExpectGoodEnd(terminal);
}

TEST_F(TerminalTest, KeysTypedBeforeThePromptAreKept) {
    TerminalSession terminal("sleep 1; " + Wrapped("reply 1"), folder.Path());
    terminal.Type("early");
    terminal.Press("Enter");
    EXPECT_TRUE(terminal.WaitForText("Got [early]")) << terminal.ScreenText();
    ExpectGoodEnd(terminal);
}

TEST_F(TerminalTest, ToneWithoutASpeakerRingsTheBellOutsideTheDrawing) {
    if (std::filesystem::exists("/dev/input/by-path/platform-pcspkr-event-spkr")) {
        GTEST_SKIP() << "a PC speaker is reachable here";
    }
    TerminalSession terminal(Wrapped("tone"), folder.Path());
    ASSERT_TRUE(terminal.WaitForText("toned")) << terminal.ScreenText();
    EXPECT_TRUE(test_support::ShowsExactly(terminal, {"toned"}, test_support::Cursor{5, 0}));
    terminal.Press("Enter");
    ExpectGoodEnd(terminal);
}

// How a run on the terminal ends, and the exit status the shell then sees.
struct Ending {
    const char* name;
    const char* mode;
    const char* shown;  // what the probe shows once it runs
    int signal;         // sent to the probe while it waits; SIGINT as Ctrl+C
    int status;         // as the shell sees it: 128 + n for signal n
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
        int probe = terminal.ToolProcess();
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

// A signal sent while the probe waits for a reply; it ends the probe as it
// would any process (128 + n), unless the report takes it over.
Ending Signalled(const char* name, int signal, int status = 0) {
    return {name, "reply 1", "Reply: ", signal, status != 0 ? status : 128 + signal};
}

// Every catchable signal whose default action ends a process: the terminal
// comes back, then the signal ends the probe as it would any process. The
// signals of processor faults end through the run-time error report.
INSTANTIATE_TEST_SUITE_P(
    Endings, TerminalRestoredTest,
    ::testing::Values(Ending{"EndProgram", "reply 1", "Reply: ", 0, 0},
                      Ending{"ReturnFromMain", "return", "return", 0, 0},
                      Ending{"RunTimeError", "error", "error", 0, 2},
                      Ending{"ProcessorFault", "fault", "Runtime error 216 at $", 0, 216}, Signalled("CtrlC", SIGINT),
                      Signalled("HUP", SIGHUP), Signalled("QUIT", SIGQUIT), Signalled("ILL", SIGILL),
                      Signalled("TRAP", SIGTRAP), Signalled("ABRT", SIGABRT), Signalled("BUS", SIGBUS, 216),
                      Signalled("FPE", SIGFPE, 200), Signalled("SEGV", SIGSEGV, 216), Signalled("USR1", SIGUSR1),
                      Signalled("USR2", SIGUSR2), Signalled("ALRM", SIGALRM), Signalled("TERM", SIGTERM),
                      Signalled("XCPU", SIGXCPU), Signalled("VTALRM", SIGVTALRM), Signalled("PROF", SIGPROF),
                      Signalled("SYS", SIGSYS)),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

// --- a terminal that answers the cursor query late ----------------------------

// The probe on a pseudo-terminal of the test's own, 80x25: unlike a terminal
// emulator it answers no query by itself, so the test answers when it likes.
// The test keeps the terminal open after the probe has ended, so that what
// the terminal would echo then can still be read.
class SlowTerminal : test_support::NotCopyable {
public:
    explicit SlowTerminal(const std::vector<std::string>& arguments) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        std::string name = ptsname(master_);
        slave_ = open(name.c_str(), O_RDWR | O_NOCTTY);
        struct winsize size {};
        size.ws_row = 25;
        size.ws_col = 80;
        ioctl(master_, TIOCSWINSZ, &size);
        std::vector<std::string> copies = arguments;
        copies.insert(copies.begin(), kProbe.string());
        std::vector<char*> argv;
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        child_ = fork();
        if (child_ == 0) {
            // A session of its own with this terminal as its controlling one,
            // so that the probe is in the foreground there.
            setsid();
            int terminal = open(name.c_str(), O_RDWR);
            for (int stream = 0; stream <= 2; ++stream) dup2(terminal, stream);
            for (int fd : {terminal, master_, slave_}) close(fd);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~SlowTerminal() {
        if (child_ > 0 && waitpid(child_, nullptr, WNOHANG) == 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
    }

    bool Started() const { return child_ > 0 && slave_ >= 0; }
    void Send(const std::string& bytes) {
        EXPECT_EQ(write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    bool EchoOn() const {
        termios modes{};
        return tcgetattr(slave_, &modes) == 0 && (modes.c_lflag & ECHO) != 0;
    }

    // Reads what the terminal shows until text is among it, or for
    // timeoutMs when text is empty; gives everything shown so far.
    bool WaitForOutput(const std::string& text, int timeoutMs = 10000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (text.empty() || output_.find(text) == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            struct pollfd watch {
                master_, POLLIN, 0
            };
            if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0) return text.empty();
            char buffer[4096];
            ssize_t got = read(master_, buffer, sizeof buffer);
            if (got <= 0) return false;
            output_.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }
    const std::string& Output() const { return output_; }

    // The probe's exit status, or -1 when it did not end by itself.
    int WaitForExit() {
        for (int waited = 0; waited < 10000; waited += 10) {
            int status = 0;
            if (waitpid(child_, &status, WNOHANG) == child_) {
                child_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10000);
        }
        return -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    pid_t child_ = -1;
    std::string output_;
};

// The answer to the cursor query, as a terminal over a slow link sends it
// after the probe stopped waiting: row 1, column 5, which some terminals also
// send for Ctrl+F3.
const std::string kLateAnswer = "\x1b[1;5R";

// Long enough for the probe to give the terminal back after its last key
// when nothing holds it; well inside the time the normal end waits.
constexpr int kAfterTheLastKeyMs = 200;

TEST(LateCursorAnswerTest, NeverLandsOnTheScreenOrAmongTheKeys) {
    for (bool whileRunning : {true, false}) {
        SCOPED_TRACE(whileRunning ? "answer while the probe reads keys" : "answer after its last key");
        SlowTerminal terminal({"keys", "2"});
        ASSERT_TRUE(terminal.Started());
        // The query goes out when the probe first asks for a key.
        ASSERT_TRUE(terminal.WaitForOutput("Keys:\x1b[6n")) << terminal.Output();
        if (whileRunning) terminal.Send(kLateAnswer);
        terminal.Send("ab");
        ASSERT_TRUE(terminal.WaitForOutput("end")) << terminal.Output();
        terminal.Send("\r");
        if (!whileRunning) {
            for (int waited = 0; waited < kAfterTheLastKeyMs && !terminal.EchoOn(); waited += 5) usleep(5000);
            terminal.Send(kLateAnswer);
        }
        EXPECT_EQ(terminal.WaitForExit(), 0) << terminal.Output();
        terminal.WaitForOutput("", kAfterTheLastKeyMs);  // an echo would come now
        EXPECT_NE(terminal.Output().find("Keys:\x1b[6n 97 98"), std::string::npos) << terminal.Output();
        EXPECT_EQ(terminal.Output().find("1;5R"), std::string::npos) << terminal.Output();
        EXPECT_TRUE(terminal.EchoOn());
    }
}

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
