// The terminal as the window console's screen. The window is the whole
// terminal. Its cells are not addressed directly: the drawing is turned into
// plain output (characters, carriage returns, line feeds, relative cursor
// moves), so that it works also where the cursor's row could not be read,
// and so that text scrolled off the top stays in the terminal's history.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "../../console_device.h"
#include "../system_calls.h"
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

// Control bytes that are not the drawing's own would steer the terminal
// (colours, titles, moves); they are shown as this instead, one cell each.
constexpr char kShownForControl = '?';

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
    posix::CallWriteAll(kScreen, output, outputUsed, &done);  // the drawing reports nothing, whatever happens
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

// Reads the cursor where the terminal answers at once; else it is taken to
// be at the start of the bottom row, the one place where the drawing's line
// feeds act the same whatever row the cursor really is in.
void FindCursor() {
    int row = 0, column = 0;
    if (terminal::KeysWithoutEcho() && terminal::KeyboardAnswersScreen()) {
        EmitText("\x1b[6n");
        Flush();
        if (terminal::ReadCursorReport(kCursorQueryMs, &row, &column) && row >= 1 && column >= 1) {
            cursorRow = row <= rows ? row - 1 : rows - 1;
            cursorColumn = column < columns ? column - 1 : columns - 1;
            columnKnown = column < columns;
            return;
        }
    }
    cursorRow = rows - 1;
    cursorColumn = 0;
    columnKnown = false;
}

}  // namespace

bool OpenScreen(ScreenShape* shape) {
    if (posix::CallIsatty(kScreen) == 0) return false;
    struct winsize size{};
    columns = kDefaultColumns;
    rows = kDefaultRows;
    if (posix::CallIoctl(kScreen, TIOCGWINSZ, reinterpret_cast<std::uintptr_t>(&size)) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        columns = size.ws_col;
        rows = size.ws_row;
    }
    outputUsed = 0;
    FindCursor();
    shape->columns = columns;
    shape->rows = rows;
    shape->cursorColumn = cursorColumn;
    shape->cursorRow = cursorRow;
    return true;
}

// Asking the terminal where its cursor is takes a round trip through the
// input; the drawing's own account of the cursor serves instead.
bool RereadScreen(ScreenShape*) { return false; }

void PutCells(int column, int row, const char* bytes, std::size_t count) {
    MoveTo(column, row);
    for (std::size_t i = 0; i < count; ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        Emit(byte < 32 || byte == 127 ? kShownForControl : bytes[i]);
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
