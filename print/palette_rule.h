// The print converters' one change to a capture image: the 256 palette
// entries become neutral greys, so the image prints without colour casts.
// Pixel indices and headers are not touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "converter.h"

enum class PaletteRule : std::uint8_t {
    Straight,  // grey level = green
    Inverted,  // grey level = 255 - green
};

// Makes each entry's blue, green and red the grey its green byte gives by the
// rule; the reserved bytes stay.
inline void ConvertPalette(std::span<std::uint8_t, kPaletteBytes> palette, PaletteRule rule) {
    for (std::size_t entry = 0; entry < palette.size(); entry += kPaletteEntryBytes) {
        std::uint8_t green = palette[entry + 1];
        std::uint8_t grey = rule == PaletteRule::Straight ? green : static_cast<std::uint8_t>(255 - green);
        palette[entry] = grey;      // blue
        palette[entry + 1] = grey;  // green
        palette[entry + 2] = grey;  // red
    }
}
