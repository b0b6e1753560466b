// The screen and keyboard under the window console: the narrow seam between
// its logic (drawing, line editor, key poll) and the system.
//
// The implementation is chosen when a program is linked, never at run time:
// a tool links the real one of its system (a terminal on POSIX, the console
// window on Windows), the unit tests link an in-memory console instead.
// Each defines every function here.
//
// Coordinates are 0-based columns and rows inside the window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pc_keys.h"

namespace platform::console {

// --- lifetime ----------------------------------------------------------------

// Takes hold of the keyboard (on a terminal: keys one by one, no echo) and
// makes sure that every end of the process gives the console back.
void StartDevice();

// Gives the console back as it was found and silences the tone. Safe in a
// signal handler, and harmless when called more than once.
void EndDevice();

// --- screen ------------------------------------------------------------------

struct ScreenShape {
    int columns = 0;
    int rows = 0;
    int cursorColumn = 0;  // where the cursor is when the screen is opened
    int cursorRow = 0;
};

// Opens the screen for drawing and reads its size and cursor. Gives false
// when standard output is no screen (a file, a pipe): nothing is drawn then.
bool OpenScreen(ScreenShape* shape);

// The size and cursor read anew as a drawing begins, where the system keeps
// the cursor for every program that writes into the window (the Windows
// console): text that another program or a batch file's echo wrote in the
// meantime then stays in step. False where asking costs a round trip through
// the input (a terminal): the drawing goes on from its own account.
bool RereadScreen(ScreenShape* shape);

// Bytes drawn as characters from (column, row) on; they fit in the row.
void PutCells(int column, int row, const char* bytes, std::size_t count);

// The window's contents move up one row; the bottom row comes in blank.
// The cursor is on the bottom row when this is asked for.
void ScrollUp();

// Every cell blank; the cursor in the top-left cell.
void ClearScreen();

// Ends a drawing: the cursor shows at (column, row) and everything drawn is
// with the system.
void ShowCursor(int column, int row);

// --- keyboard ----------------------------------------------------------------

// Key presses from a keyboard, or bytes typed ahead into a file or a pipe.
enum class KeySource : std::uint8_t { Keyboard, TypedBytes };
KeySource Source();

enum class EventKind : std::uint8_t {
    Other,        // not a key press: a release, a mouse or focus event
    Modifier,     // a press of Shift, Ctrl, Alt, Caps Lock, Num Lock or Scroll Lock
    Press,        // any other key press
    AltReleased,  // an Alt key let go: it ends a character typed as Alt + keypad digits
};

struct KeyEvent {
    EventKind kind = EventKind::Other;
    std::uint8_t character = 0;  // 0: the key has no character
    std::uint8_t scanCode = 0;   // the PC keyboard's code of the key
    bool extended = false;       // the separate cursor and editing block, keypad Enter and "/"
    bool leftAltDown = false;
    bool shiftDown = false;
    bool altDown = false;                       // either Alt key is held
    std::uint8_t keypadDigit = kNoKeypadDigit;  // 0-9 for the keypad's digit keys, Num Lock on or off
};

enum class ReadResult : std::uint8_t { Event, NothingWaiting, Ended };

// The next input event. With wait false it never blocks (NothingWaiting when
// there is none); with wait true it blocks until one comes. Ended means the
// input is over (end of the piped bytes, a terminal that went away).
ReadResult ReadEvent(KeyEvent* event, bool wait);

// --- tone --------------------------------------------------------------------

// Starts a tone of hz hertz that lasts until StopTone; where no tone device
// can be reached, rings the terminal's bell once and returns at once (on
// Windows: sounds the system beep at hz for a second, then returns).
void StartTone(std::uint16_t hz);
void StopTone();

}  // namespace platform::console
