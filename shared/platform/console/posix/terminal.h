// What the parts of the terminal backend need from one another.
#pragma once

namespace platform::terminal {

// True while the keyboard is switched to single keys without echo.
bool KeysWithoutEcho();

// True when standard input and output are the same terminal, so that the
// answer to a query written to the screen comes back on the keyboard.
bool KeyboardAnswersScreen();

// Waits up to waitMs for the answer to a cursor-position query just written
// to the screen, keeping any keys typed meanwhile for later, in order (with
// dropKeys, at the end, keys that fill the buffer make room instead). Gives
// the 1-based row and column. An answer that comes later is taken out of the
// keys wherever it arrives, and the normal end waits a while for it.
bool ReadCursorReport(int waitMs, int* row, int* column, bool dropKeys = false);

// Called once the keyboard gives single keys: the screen, if it is open,
// asks where the cursor is and goes on from there.
void LearnCursor();

// Silences a sounding tone; safe in a signal handler.
void SilenceTone();

}  // namespace platform::terminal
