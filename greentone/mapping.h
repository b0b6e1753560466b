// MapPixels: one palette index per input pixel, from that pixel's own blue,
// green and red alone, in integer arithmetic. The palette's colours play no
// part, so any greentone palette file fits any image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats.h"

// Each converter is built with exactly one of the two mappings.
enum class Mapping {
    HighContrast,  // the mean of the three channels
    Plain,         // weighted channels, green preferred over red
};

// The mean of the three channels; the last palette entry is left out, so
// that the brightest sums (762 to 765) share entry 254.
inline constexpr std::int32_t kHighContrastTopIndex = 254;

constexpr std::uint8_t HighContrastIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    std::int32_t index = (blue + green + red) / 3;
    if (index > kHighContrastTopIndex) index = kHighContrastTopIndex;
    return static_cast<std::uint8_t>(index);
}

// Per-mille weights of the plain mapping; every weighted channel fits a byte
// (at most 140, 249 and 198).
inline constexpr std::int32_t kBlueWeight = 550;
inline constexpr std::int32_t kGreenWeight = 980;
inline constexpr std::int32_t kRedWeight = 780;
inline constexpr std::int32_t kWeightScale = 1000;

// Weighted blue, replaced by weighted green when that is larger, else by
// weighted red when that is larger. Green is asked first and red is then not
// looked at: this is deliberately not the largest of the three. The choice is
// made without branches, since it follows the image and cannot be predicted.
constexpr std::uint8_t PlainIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    std::int32_t weightedBlue = blue * kBlueWeight / kWeightScale;
    std::int32_t weightedGreen = green * kGreenWeight / kWeightScale;
    std::int32_t weightedRed = red * kRedWeight / kWeightScale;
    std::int32_t redOverBlue = weightedRed > weightedBlue ? weightedRed : weightedBlue;
    std::int32_t greenWins = -static_cast<std::int32_t>(weightedGreen > weightedBlue);  // all ones or none
    return static_cast<std::uint8_t>((weightedGreen & greenWins) | (redOverBlue & ~greenWins));
}

template <Mapping mapping>
constexpr std::uint8_t PixelIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    if constexpr (mapping == Mapping::HighContrast) {
        return HighContrastIndex(blue, green, red);
    } else {
        return PlainIndex(blue, green, red);
    }
}

// Maps each pixel triple of `pixels` (blue, green, red) to its palette index
// in `indexes`. The extents are fixed, so the whole pixel area is mapped
// whatever size the input really had, and nothing else is written.
// Never inlined: inside a tool's main procedure the compiler took this loop
// for rarely run code and kept its divisions as slow division instructions.
template <Mapping mapping>
[[gnu::noinline]] void MapPixels(std::span<const std::uint8_t, kInputPixelBytes> pixels,
                                 std::span<std::uint8_t, kPixelCount> indexes) {
    for (std::size_t pixel = 0; pixel < indexes.size(); ++pixel) {
        std::size_t from = pixel * kInputBytesPerPixel;
        indexes[pixel] = PixelIndex<mapping>(pixels[from], pixels[from + 1], pixels[from + 2]);
    }
}
