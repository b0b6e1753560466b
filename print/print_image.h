// The capture image and its conversion for printing: the whole file is held
// in one static buffer, the 256 palette entries are rewritten to neutral
// greys, and the file is written out again. Pixel indices and headers pass
// through untouched, so the output is the input with 1024 bytes rewritten.
#pragma once

#include <cstdint>

#include "core.h"

// Where the palette lies in a capture image: right after the 14-byte file
// header and the 40-byte information header; 256 entries of blue, green,
// red, reserved.
inline constexpr std::int32_t kPaletteOffset = 54;
inline constexpr std::int32_t kPaletteEntries = 256;
inline constexpr std::int32_t kPaletteEntryBytes = 4;
inline constexpr std::int32_t kPaletteEnd = kPaletteOffset + kPaletteEntries * kPaletteEntryBytes;  // 1078

// Every block read and written passes through a transfer block of this size,
// so a capture image of 787510 bytes takes 26 reads and 25 writes.
inline constexpr std::uint16_t kPrintBlockBytes = 32768;

// The whole input is held here; big enough for the largest file the size
// guard lets through plus the block read that finds its end.
inline constexpr std::int32_t kImageBufferBytes = 5500000;

// Loading stops with the size guard's message once a block would be placed
// beyond this offset: files above 5373952 bytes (164 blocks) are refused.
inline constexpr std::int32_t kSizeGuardOffset = 5400000;
inline constexpr std::int32_t kLargestImageBytes = 5373952;

enum class PaletteRule : std::uint8_t {
    Straight,  // grey level = green
    Inverted,  // grey level = 255 - green
};

// The image buffer: buffer offset n holds file offset n. Zero at start.
extern std::uint8_t imageBuffer[kImageBufferBytes];

// The counts of one run; the driver clears them before loading.
struct ImageCounts {
    std::int32_t blockOffset;   // buffer offset of the block being moved
    std::int32_t loadedLength;  // sum of all reads: the input's length
    std::uint16_t readCount;    // bytes of the latest block read
    std::uint16_t writtenCount; // bytes of the latest block write; 0 until one is written
};
extern ImageCounts imageCounts;

void ClearImageCounts();

// Reads the whole opened input into the image buffer and sets the loaded
// length. Ends the tool with the size guard's lines (exit code 0) when the
// file is larger than the buffer admits.
void LoadImage(BlockFile& input);
// The same loading without the end: false where the size guard stops it.
bool LoadImageWithinGuard(BlockFile& input);

// Rewrites buffer offsets 54 to 1077 by the rule, over all 256 entries,
// whatever the loaded length.
void ConvertPalette(PaletteRule rule);

// Writes the first loaded-length bytes of the buffer to the created output;
// leaves the written count of the last block (0 when none was written).
void StoreImage(BlockFile& output);
