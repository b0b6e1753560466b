// What the two converter families (greentone and print) share: the layout of
// the BMP files they read and write, the block they move images in, their
// start and the storing of a finished image.
#pragma once

#include <cstdint>
#include <span>

#include "core.h"

// --- BMP layout ------------------------------------------------------------------
// The converters interpret no header field: every position is a fixed offset.

inline constexpr std::int32_t kFileHeaderBytes = 14;
inline constexpr std::int32_t kInfoHeaderBytes = 40;
// The information header that also carries colour-space data.
inline constexpr std::int32_t kColourSpaceInfoHeaderBytes = 124;
inline constexpr std::int32_t kPlainHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes;                   // 54
inline constexpr std::int32_t kColourSpaceHeaderBytes = kFileHeaderBytes + kColourSpaceInfoHeaderBytes;  // 138

// An 8-bit image's palette follows the plain header: 256 entries of blue,
// green, red and a reserved byte.
inline constexpr std::int32_t kPaletteOffset = kPlainHeaderBytes;
inline constexpr std::int32_t kPaletteEntries = 256;
inline constexpr std::int32_t kPaletteEntryBytes = 4;
inline constexpr std::int32_t kPaletteBytes = kPaletteEntries * kPaletteEntryBytes;  // 1024
inline constexpr std::int32_t kPaletteEnd = kPaletteOffset + kPaletteBytes;          // 1078

// Fields of the plain header (all little-endian).
namespace header_field {
inline constexpr std::int32_t kSignature = 0;          // 2 bytes, "BM"
inline constexpr std::int32_t kFileSize = 2;           // 4 bytes
inline constexpr std::int32_t kReserved = 6;           // 4 bytes
inline constexpr std::int32_t kPixelDataOffset = 10;   // 4 bytes
inline constexpr std::int32_t kInfoHeaderSize = 14;    // 4 bytes
inline constexpr std::int32_t kWidth = 18;             // 4 bytes
inline constexpr std::int32_t kHeight = 22;            // 4 bytes, positive: rows bottom-up
inline constexpr std::int32_t kPlanes = 26;            // 2 bytes, 1
inline constexpr std::int32_t kBitsPerPixel = 28;      // 2 bytes
inline constexpr std::int32_t kCompression = 30;       // 4 bytes, 0 = none
inline constexpr std::int32_t kPixelDataSize = 34;     // 4 bytes
inline constexpr std::int32_t kXResolution = 38;       // 4 bytes, pixels per metre
inline constexpr std::int32_t kYResolution = 42;       // 4 bytes, pixels per metre
inline constexpr std::int32_t kColoursUsed = 46;       // 4 bytes
inline constexpr std::int32_t kImportantColours = 50;  // 4 bytes
}  // namespace header_field

// --- moving images -----------------------------------------------------------------

// Images are read and written in blocks of this size, the largest power of
// two that a block's 16-bit count holds.
inline constexpr std::uint16_t kImageBlockBytes = 32768;

// Starts the program and takes arguments 1 and 2 as the input's and the
// output's name; false when either is missing, and the converter then shows
// its help.
bool StartConverter(int argc, char** argv, ShortText& inputName, ShortText& outputName);

// Writes bytes to the open file in blocks of kImageBlockBytes and stops at the
// first failure, which stays pending for the tool's CheckIo. Gives the count
// the last block write moved: 0 when nothing was written.
std::uint16_t StoreInBlocks(BlockFile& file, std::span<const std::uint8_t> bytes);
