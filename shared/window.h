// The window console: the console flavour in which standard output is drawn
// into the console window at the cursor and standard input comes from a line
// editor. A tool that links `suite_window_console` uses core.h exactly as a
// stream-console tool does; its WriteText/EndLine text is drawn, its
// ReadText/SkipLine replies are edited lines. This header adds the extras:
//
//     ClearWindow();
//     WriteText("Working"); EndWrite(); CheckIo();
//     if (KeyWaiting()) {
//         char key = TakeKey();     // 0 means: a special key, its code follows
//         CheckIo();                // the end of piped keys raises 161
//     }
//     StartTone(1500); Pause(19); StopTone();
//
// When standard input is a file or a pipe, its bytes are the typed keys (LF
// and CR LF are Enter); KeyWaiting then gives false, and waiting for a key at
// the end of them raises the read fault 161.
#pragma once

#include <cstdint>

#include "core.h"

// Every cell of the window blank; the cursor in the window's top-left cell.
void ClearWindow();

// True when a key press is waiting. Never waits. Shift, Ctrl, Alt and the
// lock keys alone are no key presses.
bool KeyWaiting();

// The next key press's byte, not echoed; waits until there is one. A
// special key (cursor keys, F1 to F12, ...) comes as two calls: 0, then its
// code.
// At the end of piped keys it raises 161 and gives 26 (Ctrl+Z); while an
// I/O error is pending it waits for nothing and gives 26.
char TakeKey();

// A tone of hz hertz until StopTone (on a terminal without a tone device:
// the bell, once).
void StartTone(std::uint16_t hz);
void StopTone();

// Suspends the tool for ms milliseconds; keys pressed meanwhile wait.
void Pause(std::uint16_t ms);
