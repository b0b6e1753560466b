// MapPixels: one palette index per input pixel, from that pixel's own blue,
// green and red alone, in integer arithmetic. The palette's colours play no
// part, so any greentone palette file fits any image.
#pragma once

#include <cstdint>

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

// Maps the pixel triples of inputImage, from pixelDataOffset up to the end of
// an input of expectedInputSize bytes, into outputImage from the first byte
// after the header block on. Only the two constants decide how far it runs,
// never the size the input really had: the whole pixel area of the output is
// written every time, and nothing else of it.
// Never inlined: inside a tool's main procedure the compiler took this loop
// for rarely run code and kept its divisions as slow division instructions.
template <Mapping mapping>
__attribute__((noinline)) void MapPixels(const std::uint8_t* inputImage, std::uint8_t* outputImage, std::int32_t pixelDataOffset,
               std::int32_t expectedInputSize) {
    std::int32_t to = kOutputPixelOffset;
    for (std::int32_t from = pixelDataOffset; from < expectedInputSize; from += kInputBytesPerPixel) {
        outputImage[to] = PixelIndex<mapping>(inputImage[from], inputImage[from + 1], inputImage[from + 2]);
        ++to;
    }
}
