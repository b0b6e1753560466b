// The terminal as the window console's screen. The window is the whole
// terminal. Its cells are not addressed directly: the drawing is turned into
// plain output (characters, carriage returns, line feeds, relative cursor
// moves), so that it works also where the cursor's row could not be read,
// and so that text scrolled off the top stays in the terminal's history.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "../console_device.h"
#include "../../platform.h"
#include "../../terminal_text.h"
#include "../../system_calls/posix/system_calls.h"
#include "terminal.h"

namespace platform::console {
namespace {

constexpr int kScreen = STDOUT_FILENO;

// The PC's text screen, for a terminal that does not tell its size.
constexpr int kDefaultColumns = 80;
constexpr int kDefaultRows = 25;

// A terminal answers a position query at once; one that has not answered in
// this time is taken to have no answer.
constexpr int kCursorQueryMs = 100;

// Output is collected and written once per drawing; a full line of the
// widest usual terminal and its cursor moves fit several times.
constexpr std::size_t kOutputBytes = 2048;

// The drawing's own control bytes never come as cells: every control byte
// among them would steer the terminal.
bool NonePasses(unsigned char) { return false; }

char output[kOutputBytes];
std::size_t outputUsed = 0;

int columns = kDefaultColumns;
int rows = kDefaultRows;
// Where the terminal's own cursor is, as far as we know.
int cursorColumn = 0;
int cursorRow = 0;
// False after writing into the last column (the terminal may hold a pending
// wrap there) and while the column was never read.
bool columnKnown = false;

void Flush() {
    std::size_t done = 0;
    platform::WriteAll(kScreen, output, outputUsed, &done);  // the drawing reports nothing, whatever happens
    outputUsed = 0;
}

void Emit(char c) {
    if (outputUsed == kOutputBytes) Flush();
    output[outputUsed++] = c;
}

void EmitText(const char* text) {
    while (*text != '\0') Emit(*text++);
}

// Esc [ count final: a relative cursor move.
void EmitMove(int count, char final) {
    char digits[12];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count > 0);
    Emit('\x1b');
    Emit('[');
    while (length > 0) Emit(digits[--length]);
    Emit(final);
}

void MoveTo(int column, int row) {
    if (row < cursorRow) {
        EmitMove(cursorRow - row, 'A');
        cursorRow = row;
    }
    if (row > cursorRow) {
        // Line feeds never scroll here: the row is inside the window.
        Emit('\r');
        for (; cursorRow < row; ++cursorRow) Emit('\n');
        cursorColumn = 0;
        columnKnown = true;
    }
    if (!columnKnown) {
        Emit('\r');
        cursorColumn = 0;
        columnKnown = true;
    }
    if (column > cursorColumn) EmitMove(column - cursorColumn, 'C');
    if (column < cursorColumn) {
        if (column == 0) {
            Emit('\r');
        } else {
            EmitMove(cursorColumn - column, 'D');
        }
    }
    cursorColumn = column;
}

// The screen was opened, and the cursor read since the drawing last asked.
bool screenOpen = false;
bool cursorLearned = false;

// Reads the cursor where the terminal answers at once and the keyboard is
// the tool's (a query's answer comes among the keys); else it is taken to be
// at the start of the bottom row, the one place where the drawing's line
// feeds act the same whatever row the cursor really is in: the terminal
// wraps and scrolls by itself.
// Asks the terminal where its cursor is; false, with nothing learned, when
// it cannot be asked or has not answered in time.
bool AskCursor() {
    if (!terminal::KeysWithoutEcho() || !terminal::KeyboardAnswersScreen()) return false;
    EmitText("\x1b[6n");
    Flush();
    int row = 0, column = 0;
    if (!terminal::ReadCursorReport(kCursorQueryMs, &row, &column) || row < 1 || column < 1) return false;
    cursorRow = row <= rows ? row - 1 : rows - 1;
    cursorColumn = column < columns ? column - 1 : columns - 1;
    columnKnown = column < columns;
    return true;
}

void FindCursor() {
    if (AskCursor()) return;
    cursorRow = rows - 1;
    cursorColumn = 0;
    columnKnown = false;
}

// The window and the cursor as the drawing is to take them.
void Describe(ScreenShape* shape) {
    shape->columns = columns;
    shape->rows = rows;
    shape->cursorColumn = cursorColumn;
    shape->cursorRow = cursorRow;
}

}  // namespace

bool OpenScreen(ScreenShape* shape) {
    if (posix::CallIsatty(kScreen) == 0) return false;
    struct winsize size {};
    columns = kDefaultColumns;
    rows = kDefaultRows;
    if (posix::CallIoctl(kScreen, TIOCGWINSZ, reinterpret_cast<std::uintptr_t>(&size)) == 0 && size.ws_col > 0 &&
        size.ws_row > 0) {
        columns = size.ws_col;
        rows = size.ws_row;
    }
    outputUsed = 0;
    FindCursor();
    screenOpen = true;
    cursorLearned = false;
    Describe(shape);
    return true;
}

// Asking the terminal where its cursor is takes a round trip through the
// input; the drawing's own account of the cursor serves instead, but for the
// one answer that came when the keyboard was taken.
bool RereadScreen(ScreenShape* shape) {
    if (!cursorLearned) return false;
    cursorLearned = false;
    Describe(shape);
    return true;
}

void PutCells(int column, int row, const char* bytes, std::size_t count) {
    MoveTo(column, row);
    // A row is at most a few hundred cells; a longer run goes in pieces.
    constexpr std::size_t kPieceBytes = 256;
    char shown[kPieceBytes];
    for (std::size_t at = 0; at < count; at += kPieceBytes) {
        std::size_t take = count - at < kPieceBytes ? count - at : kPieceBytes;
        ShowOnTerminal(bytes + at, take, shown, NonePasses);
        for (std::size_t i = 0; i < take; ++i) Emit(shown[i]);
    }
    cursorColumn += static_cast<int>(count);
    if (cursorColumn >= columns) {
        cursorColumn = columns - 1;
        columnKnown = false;
    }
}

void ScrollUp() {
    if (cursorRow < rows - 1) MoveTo(0, rows - 1);
    // A line feed in the bottom row scrolls; the carriage return before it
    // also ends any pending wrap of the terminal.
    Emit('\r');
    Emit('\n');
    cursorColumn = 0;
    columnKnown = true;
}

void ClearScreen() {
    EmitText("\x1b[H\x1b[2J");
    cursorColumn = 0;
    cursorRow = 0;
    columnKnown = true;
}

void ShowCursor(int column, int row) {
    MoveTo(column, row);
    Flush();
}

}  // namespace platform::console

namespace platform::terminal {

// Unanswered, the drawing goes on from its own account.
void LearnCursor() {
    if (console::screenOpen) console::cursorLearned = console::AskCursor();  // else the first drawing asks
}

}  // namespace platform::terminal
