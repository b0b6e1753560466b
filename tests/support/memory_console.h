// An in-memory screen and keyboard for the unit tests of the window console:
// a grid of cells with a cursor, a script of key events, a record of the
// tone. Linked instead of the real console device (suite_window_memory_console).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/console/console_device.h"

namespace memory_console {

// The largest grid a test may ask for.
inline constexpr int kMostColumns = 132;
inline constexpr int kMostRows = 60;

struct Setup {
    int columns = 80;
    int rows = 25;
    int cursorColumn = 0;
    int cursorRow = 0;
    bool screenAttached = true;  // false: standard output is no screen
    bool typedBytes = false;     // true: the keys are bytes from a pipe
    // Not 0: a wait for a key while the tone sounds ends the process with
    // this exit code (for a tool run whole in a death test).
    int exitWhenWaitingWithTone = 0;
};

// A blank grid, an empty key script, no tone, nothing counted.
void Reset(const Setup& setup = {});

// The row as it stands, blanks included (the full width of the grid).
std::string_view Row(int row);
int CursorColumn();  // where the last drawing left the shown cursor
int CursorRow();
int ScrollCount();
// Runs of cells drawn outside the grid: a fault of the drawing, which also
// fills row 0 with '!' where a test looks.
int StrayRunCount();

// Key events, played back in order. When the script is used up the keyboard
// has ended: a wait for a key then gives up.
void Queue(const platform::console::KeyEvent& event);
void Type(std::string_view characters);    // presses of character keys (or typed bytes)
void PressSpecial(std::uint8_t scanCode);  // a key without a character (F1, cursor keys)
void PressModifier();                      // Shift, Ctrl or Alt alone
void ReleaseKey();                         // an event that is no key press
// A keypad digit key, with Alt held (it then has no character) or without;
// the Alt held is the left one unless leftAlt is false.
void PressKeypadDigit(std::uint8_t digit, bool altDown, bool leftAlt = true);
void ReleaseAlt();  // an Alt key let go

// One step of a key script: characters typed, or a key without a character.
struct Keystroke {
    Keystroke(const char* characters) : typed(characters) {}
    Keystroke(std::uint8_t scanCode) : special(scanCode) {}
    std::string_view typed;
    std::uint8_t special = 0;
};
void Play(const std::vector<Keystroke>& script);

int ToneHz();      // 0 while silent
int StartCount();  // how often the device was taken, given back
int EndCount();

}  // namespace memory_console
