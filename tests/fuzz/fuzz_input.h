// What every fuzz target shares: the fuzz input taken field by field, and a
// property that fails ending the run as a crash, so that the fuzzer keeps
// the input that made it fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// Fields are taken from the front; past the end every field is zero, so
// that any input, however short, is a valid one.
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool Empty() const { return at == size; }

    std::uint8_t Byte() { return at < size ? data[at++] : 0; }

    // A little-endian number of `bytes` bytes (at most 4).
    std::uint32_t Number(int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return value;
    }

    // The next `count` bytes, fewer where the input ends.
    std::string_view Bytes(std::size_t count) {
        if (count > size - at) count = size - at;
        std::string_view bytes(reinterpret_cast<const char*>(data) + at, count);
        at += count;
        return bytes;
    }

    std::string_view Rest() { return Bytes(size - at); }
};

inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

}  // namespace fuzz
