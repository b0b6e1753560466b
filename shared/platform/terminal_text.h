// What of a text would steer a terminal instead of showing: the C0 controls
// and DEL, and the C1 controls some terminals act on, both as a byte
// 0x80-0x9F outside a valid UTF-8 sequence and as the UTF-8 form of
// U+0080-U+009F (C2 80 - C2 9F). Both consoles show such bytes as "?", one
// for each byte, so that a name cannot set colours, titles or the cursor.
#pragma once

#include <cstddef>

namespace platform {

inline constexpr char kShownForControl = '?';

// The length of the valid UTF-8 sequence of two to four bytes at bytes[0],
// or 0 when none starts there.
inline std::size_t Utf8SequenceLength(const unsigned char* bytes, std::size_t left) {
    unsigned char lead = bytes[0];
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || length > left) return 0;
    // The second byte's range excludes overlong forms, surrogates and code points above U+10FFFF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (bytes[1] < low || bytes[1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (bytes[i] < 0x80 || bytes[i] > 0xBF) return 0;
    }
    return length;
}

// Copies count bytes into shown (room for count), each steering byte as
// kShownForControl; the C0 controls for which passes() is true go as they are.
inline void ShowOnTerminal(const char* text, std::size_t count, char* shown, bool (*passes)(unsigned char)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t at = 0;
    while (at < count) {
        unsigned char byte = bytes[at];
        std::size_t sequence = byte >= 0x80 ? Utf8SequenceLength(bytes + at, count - at) : 0;
        bool c1Form = sequence == 2 && byte == 0xC2 && bytes[at + 1] <= 0x9F;
        std::size_t take = sequence != 0 ? sequence : 1;
        bool steers = c1Form || (sequence == 0 &&
                                 ((byte < 32 && !passes(byte)) || byte == 127 || (byte >= 0x80 && byte <= 0x9F)));
        for (std::size_t i = 0; i < take; ++i) shown[at + i] = steers ? kShownForControl : text[at + i];
        at += take;
    }
}

}  // namespace platform
