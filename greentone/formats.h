// The byte layouts the greentone converters work with: a 500x500 24-bit BMP
// in, the palette file's header block, and a 500x500 8-bit indexed BMP out.
// The header and palette positions they share with the print converters are
// in converter.h.
#pragma once

#include <cstdint>

#include "converter.h"

// --- input image: 500x500 pixels of blue, green, red --------------------------

inline constexpr std::int32_t kImageWidth = 500;
inline constexpr std::int32_t kImageHeight = 500;
inline constexpr std::int32_t kPixelCount = kImageWidth * kImageHeight;
inline constexpr std::int32_t kInputBytesPerPixel = 3;
// 1500-byte rows are a multiple of 4, so the pixels are one run without padding.
inline constexpr std::int32_t kInputPixelBytes = kPixelCount * kInputBytesPerPixel;

// The pixels follow the plain header, or the colour-space header.
inline constexpr std::int32_t kPlainHeaderInputBytes = kPlainHeaderBytes + kInputPixelBytes;              // 750054
inline constexpr std::int32_t kColourSpaceHeaderInputBytes = kColourSpaceHeaderBytes + kInputPixelBytes;  // 750138

// --- palette file and output image ----------------------------------------------

// The palette file's first 1078 bytes become the output's header and palette
// unchanged.
inline constexpr std::int32_t kHeaderBlockBytes = kPaletteEnd;

// One palette index per pixel; 500-byte rows need no padding either.
inline constexpr std::int32_t kOutputPixelOffset = kHeaderBlockBytes;
inline constexpr std::int32_t kOutputBytes = kOutputPixelOffset + kPixelCount;  // 251078
