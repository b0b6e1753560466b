// The terminal's key decoder over any bytes, decoded one key after the other
// as the terminal keyboard does. Each decoding sees a heap copy of exactly
// the bytes it is given, so a read past them is a fault the address
// sanitizer reports.
//
// Every decoding takes at least one byte and no more than it was given;
// with no more bytes to come nothing is incomplete; and an answer, once
// given, is the same whatever bytes arrive after it.
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "platform/console/posix/key_decoder.h"

namespace {

namespace terminal = platform::terminal;

// Prefixes are tried up to this length, so that a long sequence keeps the
// run fast.
constexpr std::size_t kLongestPrefix = 256;

std::unique_ptr<std::uint8_t[]> ExactCopy(const std::uint8_t* bytes, std::size_t count) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[count]);
    std::memcpy(copy.get(), bytes, count);
    return copy;
}

// Whether a cursor-position answer is awaited, for the decoding under way.
bool reportAwaited = false;

terminal::Decoded Decode(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow) {
    std::unique_ptr<std::uint8_t[]> copy = ExactCopy(bytes, count);
    return terminal::DecodeKey(copy.get(), count, moreMayFollow, reportAwaited);
}

bool SameAnswer(const terminal::Decoded& a, const terminal::Decoded& b) {
    const platform::console::KeyEvent& x = a.event;
    const platform::console::KeyEvent& y = b.event;
    return a.kind == b.kind && a.used == b.used && x.kind == y.kind && x.character == y.character &&
           x.scanCode == y.scanCode && x.extended == y.extended && x.leftAltDown == y.leftAltDown &&
           x.shiftDown == y.shiftDown && x.altDown == y.altDown && x.keypadDigit == y.keypadDigit;
}

void DecodeAll(const std::uint8_t* data, std::size_t size, bool moreMayFollow) {
    for (std::size_t at = 0; at < size;) {
        std::size_t count = size - at;
        terminal::Decoded decoded = Decode(data + at, count, moreMayFollow);
        if (decoded.kind == terminal::Decoding::Incomplete) {
            fuzz::Require(moreMayFollow, "nothing is incomplete when no more bytes come");
            // The keyboard waits for the rest no longer than a moment.
            decoded = Decode(data + at, count, false);
            fuzz::Require(decoded.kind != terminal::Decoding::Incomplete, "the rest overdue, the key is decoded");
        } else {
            // The shortest prefix that is answered, and the one a byte longer,
            // are answered as the whole rest is.
            for (std::size_t prefix = 1; prefix < count && prefix <= kLongestPrefix; ++prefix) {
                terminal::Decoded early = Decode(data + at, prefix, true);
                if (early.kind == terminal::Decoding::Incomplete) continue;
                bool same = SameAnswer(early, decoded);
                if (prefix + 1 < count) same = same && SameAnswer(Decode(data + at, prefix + 1, true), decoded);
                fuzz::Require(same, "an answer does not change with the bytes after it");
                break;
            }
        }
        fuzz::Require(decoded.used >= 1 && decoded.used <= count, "a decoding takes 1 to count bytes");
        at += decoded.used;
    }
}

void FindReport(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> copy = ExactCopy(data, size);
    int row = -1, column = -1;
    std::size_t start = 0, length = 0;
    if (!terminal::FindCursorReport(copy.get(), size, &row, &column, &start, &length)) return;
    fuzz::Require(start < size && length <= size - start && length >= 6, "the report lies among the bytes");
    fuzz::Require(copy[start] == 27 && copy[start + 1] == '[' && copy[start + length - 1] == 'R',
                  "the report is Esc [ ... R");
    fuzz::Require(row >= 0 && column >= 0, "row and column are not negative");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool awaited : {false, true}) {
        reportAwaited = awaited;
        DecodeAll(data, size, true);
        DecodeAll(data, size, false);
    }
    FindReport(data, size);
    return 0;
}
