// What a terminal sends for a key, turned into the PC keyboard's key codes:
// the escape sequences of the cursor, editing and function keys, Alt with a
// letter or digit, DEL as Backspace, LF as Enter. A pure function, so that
// every sequence can be tried without a terminal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../console_device.h"

namespace platform::terminal {

enum class Decoding : std::uint8_t {
    Key,           // `event` is a key press
    CursorReport,  // the awaited answer to a cursor-position query
    Ignored,       // a sequence that is no key (paste marks, focus and mouse reports)
    Incomplete,    // the start of a sequence; more bytes are needed
};

struct Decoded {
    Decoding kind = Decoding::Incomplete;
    std::size_t used = 0;  // bytes taken from the start of the input
    console::KeyEvent event;
};

// Decodes the key at the start of bytes[0..count). With moreMayFollow false
// nothing is Incomplete: an Esc that no sequence follows is the Esc key.
// Esc [ 1 ; m R is F3 with modifiers on some terminals, and also the answer
// to a cursor-position query: with reportAwaited it is taken as the answer.
Decoded DecodeKey(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow, bool reportAwaited);

// Finds a cursor-position report (Esc [ row ; column R) among the bytes.
// Gives its 1-based row and column and where it lies, or false.
bool FindCursorReport(const std::uint8_t* bytes, std::size_t count, int* row, int* column, std::size_t* start,
                      std::size_t* length);

}  // namespace platform::terminal
