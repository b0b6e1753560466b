// The seam between the core layer and its console flavour. A tool links
// exactly one flavour library, which defines these four operations:
// the stream console (plain standard input and output) or the window
// console (text drawn into the console window, lines from the line editor).
#pragma once

#include <cstddef>
#include <cstdint>

// Called by StartProgram once the standard streams are open.
void ConsoleStart();

// Called on every end (EndProgram, the run-time error report, a processor
// fault) before anything else is written; must be safe in a signal handler.
void ConsoleEnd();

// Writes standard output's buffer to the console. Gives an I/O error number or 0.
std::uint16_t ConsoleWrite(const char* bytes, std::size_t count);

// Standard input's buffer is used up: fills it with the next bytes. *got 0
// means the end of the input. Gives an I/O error number or 0.
std::uint16_t ConsoleRefill(char* buffer, std::size_t capacity, std::size_t* got);
