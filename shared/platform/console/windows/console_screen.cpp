// The console window as the window console's screen: its visible window
// addressed cell by cell through the console's screen buffer, in the text
// colour found at the start, with the ANSI code page while drawing.
#include <windows.h>

#include "../console_device.h"
#include "../../system_calls/windows/system_calls.h"
#include "console.h"

namespace platform {
namespace {

// The console's records have one layout for 32-bit and 64-bit programs.
static_assert(sizeof(COORD) == 4 && sizeof(SMALL_RECT) == 8 && sizeof(CONSOLE_SCREEN_BUFFER_INFO) == 22);

HANDLE screen = INVALID_HANDLE_VALUE;
SMALL_RECT window{};
WORD textColour = 0;

// The text colour for one stretch of cells; a run wider than this is drawn
// in pieces. The widest usual console fits at once.
constexpr int kColourCells = 256;
WORD colourRow[kColourCells];

// The output code page a drawing switched from, while it is switched.
bool codePageSwitched = false;
UINT foundCodePage = 0;

// The tools' bytes are characters of the system's ANSI code page; the
// console shows them so only while that is its output code page.
void SwitchCodePage() {
    if (codePageSwitched) return;
    foundCodePage = windows::CallGetConsoleOutputCP();
    UINT ansi = GetACP();
    if (foundCodePage != 0 && foundCodePage != ansi && windows::CallSetConsoleOutputCP(ansi)) codePageSwitched = true;
}

COORD Cell(int column, int row) {
    return COORD{static_cast<SHORT>(window.Left + column), static_cast<SHORT>(window.Top + row)};
}

int Columns() { return window.Right - window.Left + 1; }
int Rows() { return window.Bottom - window.Top + 1; }

// The visible window as the console reports it, and the cursor in it (a
// cursor outside the window counts from its nearest edge).
void TakeShape(const CONSOLE_SCREEN_BUFFER_INFO& info, console::ScreenShape* shape) {
    window = info.srWindow;
    int column = info.dwCursorPosition.X - window.Left;
    int row = info.dwCursorPosition.Y - window.Top;
    shape->columns = Columns();
    shape->rows = Rows();
    shape->cursorColumn = column > 0 ? column : 0;
    shape->cursorRow = row > 0 ? row : 0;
}

}  // namespace

namespace windows {

void RestoreCodePage() {
    if (!codePageSwitched) return;
    windows::CallSetConsoleOutputCP(foundCodePage);
    codePageSwitched = false;
}

}  // namespace windows

namespace console {

bool OpenScreen(ScreenShape* shape) {
    screen = GetStdHandle(STD_OUTPUT_HANDLE);
    if (screen == INVALID_HANDLE_VALUE || screen == nullptr) return false;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!windows::CallGetConsoleScreenBufferInfo(screen, &info)) return false;  // a file or a pipe: nothing is drawn
    textColour = info.wAttributes;
    for (WORD& cell : colourRow) cell = textColour;
    TakeShape(info, shape);
    return true;
}

// The console keeps one cursor for every program writing into it: the
// window and the cursor are read again, each drawing.
bool RereadScreen(ScreenShape* shape) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!windows::CallGetConsoleScreenBufferInfo(screen, &info)) return false;
    TakeShape(info, shape);
    return true;
}

void PutCells(int column, int row, const char* bytes, std::size_t count) {
    SwitchCodePage();
    while (count > 0) {
        DWORD piece = count < kColourCells ? static_cast<DWORD>(count) : kColourCells;
        DWORD done = 0;
        windows::CallWriteConsoleOutputCharacter(screen, bytes, piece, Cell(column, row), &done);
        windows::CallWriteConsoleOutputAttribute(screen, colourRow, piece, Cell(column, row), &done);
        bytes += piece;
        count -= piece;
        column += static_cast<int>(piece);
    }
}

void ScrollUp() {
    CHAR_INFO blank{};
    blank.Char.AsciiChar = ' ';
    blank.Attributes = textColour;
    if (Rows() == 1) {
        DWORD done = 0;
        windows::CallFillConsoleOutputCharacter(screen, ' ', static_cast<DWORD>(Columns()), Cell(0, 0), &done);
        windows::CallFillConsoleOutputAttribute(screen, textColour, static_cast<DWORD>(Columns()), Cell(0, 0), &done);
        return;
    }
    // Everything below the top row moves up onto it; the bottom row comes in blank.
    SMALL_RECT below = window;
    below.Top = static_cast<SHORT>(window.Top + 1);
    windows::CallScrollConsoleScreenBuffer(screen, &below, &window, Cell(0, 0), &blank);
}

void ClearScreen() {
    for (int row = 0; row < Rows(); ++row) {
        DWORD done = 0;
        windows::CallFillConsoleOutputCharacter(screen, ' ', static_cast<DWORD>(Columns()), Cell(0, row), &done);
        windows::CallFillConsoleOutputAttribute(screen, textColour, static_cast<DWORD>(Columns()), Cell(0, row), &done);
    }
    windows::CallSetConsoleCursorPosition(screen, Cell(0, 0));
}

void ShowCursor(int column, int row) {
    windows::CallSetConsoleCursorPosition(screen, Cell(column, row));
    windows::RestoreCodePage();
}

}  // namespace console
}  // namespace platform
