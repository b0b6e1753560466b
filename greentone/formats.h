// The byte layouts the greentone converters work with: a 500x500 24-bit BMP
// in, the palette file's header block, and a 500x500 8-bit indexed BMP out.
// The converters interpret no header field: every position is a fixed offset.
#pragma once

#include <cstdint>

// --- input image: 500x500 pixels of blue, green, red --------------------------

inline constexpr std::int32_t kImageWidth = 500;
inline constexpr std::int32_t kImageHeight = 500;
inline constexpr std::int32_t kPixelCount = kImageWidth * kImageHeight;
inline constexpr std::int32_t kInputBytesPerPixel = 3;
// 1500-byte rows are a multiple of 4, so the pixels are one run without padding.
inline constexpr std::int32_t kInputPixelBytes = kPixelCount * kInputBytesPerPixel;

// The plain header: 14-byte file header and 40-byte information header.
inline constexpr std::int32_t kPlainHeaderBytes = 54;
inline constexpr std::int32_t kPlainHeaderInputBytes = kPlainHeaderBytes + kInputPixelBytes;  // 750054
// The colour-space header: 14-byte file header and 124-byte information header.
inline constexpr std::int32_t kColourSpaceHeaderBytes = 138;
inline constexpr std::int32_t kColourSpaceHeaderInputBytes = kColourSpaceHeaderBytes + kInputPixelBytes;  // 750138

// --- palette file and output image ----------------------------------------------

// The palette file's first 1078 bytes become the output's header and colour
// table unchanged: 14 + 40 header bytes and 256 colours of 4 bytes.
inline constexpr std::int32_t kPaletteEntries = 256;
inline constexpr std::int32_t kPaletteEntryBytes = 4;  // blue, green, red, 0
inline constexpr std::int32_t kColourTableOffset = 54;
inline constexpr std::int32_t kHeaderBlockBytes = kColourTableOffset + kPaletteEntries * kPaletteEntryBytes;  // 1078

// One palette index per pixel; 500-byte rows need no padding either.
inline constexpr std::int32_t kOutputPixelOffset = kHeaderBlockBytes;
inline constexpr std::int32_t kOutputBytes = kOutputPixelOffset + kPixelCount;  // 251078

// Fields of the header block in a palette file that fits (all little-endian).
namespace header_field {
inline constexpr std::int32_t kSignature = 0;         // 2 bytes, "BM"
inline constexpr std::int32_t kFileSize = 2;          // 4 bytes
inline constexpr std::int32_t kReserved = 6;          // 4 bytes
inline constexpr std::int32_t kPixelDataOffset = 10;  // 4 bytes
inline constexpr std::int32_t kInfoHeaderSize = 14;   // 4 bytes, 40
inline constexpr std::int32_t kWidth = 18;            // 4 bytes
inline constexpr std::int32_t kHeight = 22;           // 4 bytes, positive: rows bottom-up
inline constexpr std::int32_t kPlanes = 26;           // 2 bytes, 1
inline constexpr std::int32_t kBitsPerPixel = 28;     // 2 bytes, 8
inline constexpr std::int32_t kCompression = 30;      // 4 bytes, 0 = none
inline constexpr std::int32_t kPixelDataSize = 34;    // 4 bytes
inline constexpr std::int32_t kXResolution = 38;      // 4 bytes, pixels per metre
inline constexpr std::int32_t kYResolution = 42;      // 4 bytes, pixels per metre
inline constexpr std::int32_t kColoursUsed = 46;      // 4 bytes
inline constexpr std::int32_t kImportantColours = 50; // 4 bytes
}  // namespace header_field

inline constexpr std::int32_t kInfoHeaderBytes = 40;
