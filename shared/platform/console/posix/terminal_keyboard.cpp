// The terminal's keyboard: single keys without echo while the tool runs,
// the modes as they were found on every end, and keys decoded from what the
// terminal sends. When standard input is not a terminal its bytes are the
// typed keys.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../console_device.h"
#include "../typed_keys.h"
#include "../../platform.h"
#include "../../system_calls/posix/system_calls.h"
#include "key_decoder.h"
#include "terminal.h"

namespace platform {
namespace {

constexpr int kKeyboard = STDIN_FILENO;
constexpr int kScreen = STDOUT_FILENO;

// A terminal sends the bytes of one key together: an Esc that nothing has
// followed for this long was the Esc key itself.
constexpr std::uint32_t kLoneEscapeMs = 30;

// Keys typed ahead and the bytes of sequences still being decoded; far more
// than one key's sequence needs.
constexpr std::size_t kInputBytes = 256;

// A terminal over a slow link may answer the cursor-position query after
// the screen stopped waiting for it; given back with its echo on, the
// terminal would show the answer on the user's screen. The normal end waits
// this long for it: a slow link's round trip, and a cost once per run only
// where a terminal never answers.
constexpr int kLateAnswerMs = 500;
// The longest answer to the query ("Esc [ row ; column R" with five-digit
// numbers) fits in this many bytes.
constexpr std::size_t kReportTailBytes = 16;

bool keyboardIsTerminal = false;
termios foundModes;
termios keyModes;
// The keyboard is taken only when the tool first asks for a key: a tool that
// never asks (a converter) leaves the terminal's input and its modes alone,
// and what the user typed ahead stays for the shell.
volatile sig_atomic_t keysWanted = 0;
volatile sig_atomic_t keyModesActive = 0;

std::uint8_t input[kInputBytes];
std::size_t inputCount = 0;
bool keyboardGone = false;
bool waitingForRest = false;  // an incomplete sequence is in the input
std::uint32_t restSince = 0;
// A cursor-position query went out and its answer has not come: an answer
// among the keys is then taken out, never read as a key.
bool reportAwaited = false;

bool InForeground() { return posix::CallTcgetpgrp(kKeyboard) == getpgrp(); }

void SwitchToKeys() {
    if (!InForeground()) return;  // a background process must not touch the modes
    keyModesActive = 1;
    if (posix::CallTcsetattr(kKeyboard, &keyModes) != 0) keyModesActive = 0;
}

// The modes as they were found, and no tone; never waits, so that the
// signal handlers can use it.
void GiveTerminalBack() {
    if (keyModesActive != 0) {
        posix::CallTcsetattr(kKeyboard, &foundModes);
        keyModesActive = 0;
    }
    terminal::SilenceTone();
}

// A process continued after a stop it could not see (kill -STOP), or brought
// to the foreground after a start in the background, finds the terminal in
// the shell's modes: it takes its own again. Nothing is drawn anew.
void OnContinue(int) {
    int savedErrno = errno;
    if (keysWanted != 0) SwitchToKeys();
    errno = savedErrno;
}

// A stop (kill -TSTP; the keyboard's own suspend key is switched off) gives
// the terminal back for the while, and takes it again on continuing.
void OnStopSignal(int) {
    int savedErrno = errno;
    bool hadKeys = keyModesActive != 0;
    GiveTerminalBack();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(SIGTSTP, &standard, nullptr);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // the process stops here
    struct sigaction again {};
    again.sa_handler = OnStopSignal;
    sigemptyset(&again.sa_mask);
    sigaction(SIGTSTP, &again, nullptr);
    if (hadKeys) SwitchToKeys();
    errno = savedErrno;
}

// The signals that end the process give the terminal back through the
// process's own handlers. A stop that the process was started with ignored
// stays ignored.
void InstallStopHandlers() {
    struct sigaction resume {};
    resume.sa_handler = OnContinue;
    sigemptyset(&resume.sa_mask);
    resume.sa_flags = SA_RESTART;
    sigaction(SIGCONT, &resume, nullptr);
    struct sigaction current {};
    if (sigaction(SIGTSTP, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, &action, nullptr);
}

// At the first key asked for, the keyboard switches to single keys, and the
// screen learns where the cursor is (the query's answer comes through the
// keyboard, among keys that are then the tool's own). A tool that found
// itself in the background takes the keys once it is in the foreground.
void TakeKeyboard() {
    bool first = keysWanted == 0;
    keysWanted = 1;
    if (keyModesActive != 0) return;
    SwitchToKeys();
    if (first && keyModesActive != 0) terminal::LearnCursor();
}

// Keys one by one as they are typed, without echo and without turning CR
// into LF. Ctrl+C and Ctrl+\ stay the system's signals; Ctrl+S, Ctrl+Q,
// Ctrl+Z and Ctrl+V come through as keys, since the line editor uses them.
void MakeKeyModes() {
    keyModes = foundModes;
    keyModes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL | IEXTEN);
    keyModes.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP);
    keyModes.c_cc[VMIN] = 1;
    keyModes.c_cc[VTIME] = 0;
    keyModes.c_cc[VSUSP] = _POSIX_VDISABLE;
}

// Gives true when input came (or the keyboard went away) within timeoutMs;
// -1 waits as long as it takes.
bool WaitForInput(int timeoutMs) {
    struct pollfd watch {
        kKeyboard, POLLIN, 0
    };
    return posix::CallPoll(&watch, 1, timeoutMs) > 0;
}

// Reads what the terminal has; false when nothing could be read.
bool ReadMore() {
    if (inputCount == kInputBytes || keyboardGone) return false;
    ssize_t got = posix::CallRead(kKeyboard, input + inputCount, kInputBytes - inputCount);
    if (got > 0) {
        inputCount += static_cast<std::size_t>(got);
        return true;
    }
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) keyboardGone = true;
    return false;
}

void Consume(std::size_t count) {
    std::memmove(input, input + count, inputCount - count);
    inputCount -= count;
}

}  // namespace

namespace terminal {

bool KeysWithoutEcho() { return keyModesActive != 0; }

bool KeyboardAnswersScreen() {
    struct stat keyboard {
    }, screen{};
    return keyboardIsTerminal && posix::CallFstat(kKeyboard, &keyboard) == 0 &&
           posix::CallFstat(kScreen, &screen) == 0 && S_ISCHR(keyboard.st_mode) && keyboard.st_rdev == screen.st_rdev;
}

bool ReadCursorReport(int waitMs, int* row, int* column, bool dropKeys) {
    std::uint32_t start = MillisecondTicks();
    reportAwaited = true;
    for (;;) {
        std::size_t at = 0, length = 0;
        if (FindCursorReport(input, inputCount, row, column, &at, &length)) {
            std::memmove(input + at, input + at + length, inputCount - at - length);
            inputCount -= length;
            reportAwaited = false;
            return true;
        }
        // Keys that no one will read make room for the answer behind them;
        // the last few bytes may be its beginning.
        if (dropKeys && inputCount == kInputBytes) Consume(kInputBytes - kReportTailBytes);
        std::uint32_t waited = MillisecondTicks() - start;
        if (waited >= static_cast<std::uint32_t>(waitMs)) return false;
        if (!WaitForInput(waitMs - static_cast<int>(waited))) continue;
        if (!ReadMore() && (keyboardGone || inputCount == kInputBytes)) return false;
    }
}

}  // namespace terminal

namespace console {

void StartDevice() {
    keyboardIsTerminal = posix::CallIsatty(kKeyboard) != 0;
    inputCount = 0;
    keyboardGone = false;
    waitingForRest = false;
    reportAwaited = false;
    keysWanted = 0;
    console::ResetTypedKeys();
    InstallStopHandlers();
    // Modes that cannot be read are never changed.
    if (keyboardIsTerminal && posix::CallTcgetattr(kKeyboard, &foundModes) != 0) keyboardIsTerminal = false;
    if (keyboardIsTerminal) MakeKeyModes();
}

// The answer to a query still missing is waited for, whatever the keys
// before it: none reaches the shell after the tool. A handler that ends the
// process must not wait: a late answer may then still reach the screen.
void EndDevice() {
    if (reportAwaited && keyModesActive != 0 && !EndingInHandler()) {
        int row = 0, column = 0;
        terminal::ReadCursorReport(kLateAnswerMs, &row, &column, true);
    }
    reportAwaited = false;
    GiveTerminalBack();
}

KeySource Source() { return keyboardIsTerminal ? KeySource::Keyboard : KeySource::TypedBytes; }

ReadResult ReadEvent(KeyEvent* event, bool wait) {
    if (!keyboardIsTerminal) return console::ReadTypedKey(event, wait);
    TakeKeyboard();
    for (;;) {
        if (inputCount > 0) {
            std::uint32_t now = MillisecondTicks();
            bool restOverdue = waitingForRest && now - restSince >= kLoneEscapeMs;
            bool moreMayFollow = !restOverdue && !keyboardGone && inputCount < kInputBytes;
            terminal::Decoded decoded = terminal::DecodeKey(input, inputCount, moreMayFollow, reportAwaited);
            if (decoded.kind != terminal::Decoding::Incomplete) {
                Consume(decoded.used);
                waitingForRest = false;
                if (decoded.kind == terminal::Decoding::CursorReport) reportAwaited = false;
                if (decoded.kind == terminal::Decoding::Key) {
                    *event = decoded.event;
                    return ReadResult::Event;
                }
                continue;
            }
            if (!waitingForRest) {
                waitingForRest = true;
                restSince = now;
            }
            int left = static_cast<int>(kLoneEscapeMs - (now - restSince));
            if (WaitForInput(wait ? left : 0)) {
                ReadMore();
            } else if (!wait) {
                return ReadResult::NothingWaiting;
            }
            continue;
        }
        if (keyboardGone) return ReadResult::Ended;
        if (!WaitForInput(wait ? -1 : 0)) {
            if (!wait) return ReadResult::NothingWaiting;
            continue;  // a signal woke the wait
        }
        ReadMore();
    }
}

}  // namespace console
}  // namespace platform
