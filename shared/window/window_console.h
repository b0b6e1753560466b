// The parts of the window console that work together inside the layer: the
// drawing, the held key and the line editor. Tools use window.h instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace window {

// Every drawing goes to the screen only when there is one; the first drawing
// (or ClearWindow) opens it and reads the window and the cursor. Without a
// screen the text is kept for standard error (NoteKeyAsked).
void Draw(const char* bytes, std::size_t count);

// A key as the window console hands it on: a character, or a special key
// with its code.
struct Key {
    bool special = false;
    std::uint8_t code = 0;
};

// Waits for the next key (the held one first). Gives 0, or the I/O error
// number that ends the waiting (161 at the end of the input).
std::uint16_t NextKey(Key* key);

// One line from the line editor into buffer: the edited bytes, then CR LF.
// The capacity must hold the longest line and its line end. Gives 0 or the
// I/O error number that ended the editing (the line typed so far is lost).
std::uint16_t EditLine(char* buffer, std::size_t capacity, std::size_t* got);

// A tool that asks for a key talks with its user: what it drew without a
// screen is then dropped. Until then it is kept, and WriteKeptText (on
// every end) writes it to standard error.
void NoteKeyAsked();
void WriteKeptText();

// Back to the state of a fresh start: no screen opened, no key held.
void ResetDrawing();
void ResetKeys();

}  // namespace window
