// Loading, converting and storing a capture image.
#include "print_image.h"

#include <cstring>

// The last block loading ever places starts at the highest block offset the
// size guard lets through; it must fit in the buffer.
static_assert((kSizeGuardOffset / kPrintBlockBytes) * kPrintBlockBytes + kPrintBlockBytes <= kImageBufferBytes);
// The largest accepted file ends exactly where the last admitted block starts.
static_assert(kLargestImageBytes == (kSizeGuardOffset / kPrintBlockBytes) * kPrintBlockBytes);

std::uint8_t imageBuffer[kImageBufferBytes];
ImageCounts imageCounts;

namespace {

// Never cleared between blocks: after a short read its tail still holds the
// previous block's bytes, which land past the loaded length and are never
// written out.
std::uint8_t transferBlock[kPrintBlockBytes];

[[noreturn]] void StopForSize() {
    EndLine();
    CheckIo();
    WriteLine("pls chk size of this image file.");
    WriteLine("./dux   gives info on this program.");
    EndProgram(0);
}

}  // namespace

void ClearImageCounts() { imageCounts = ImageCounts{}; }

bool LoadImageWithinGuard(BlockFile& input) {
    imageCounts.blockOffset = 0;
    imageCounts.loadedLength = 0;
    do {
        ReadBlock(input, transferBlock, kPrintBlockBytes, imageCounts.readCount);
        CheckIo();
        if (imageCounts.blockOffset > kSizeGuardOffset) return false;
        // The whole block, whatever the read gave: the buffer's contents past
        // the loaded length are never written, so this costs nothing.
        std::memcpy(imageBuffer + imageCounts.blockOffset, transferBlock, kPrintBlockBytes);
        imageCounts.blockOffset += kPrintBlockBytes;
        imageCounts.loadedLength += imageCounts.readCount;
    } while (imageCounts.readCount != 0);
    return true;
}

void LoadImage(BlockFile& input) {
    if (!LoadImageWithinGuard(input)) StopForSize();
}

void ConvertPalette(PaletteRule rule) {
    for (std::int32_t entry = kPaletteOffset; entry < kPaletteEnd; entry += kPaletteEntryBytes) {
        std::uint8_t green = imageBuffer[entry + 1];
        std::uint8_t grey = rule == PaletteRule::Straight ? green : static_cast<std::uint8_t>(255 - green);
        imageBuffer[entry] = grey;      // blue
        imageBuffer[entry + 1] = grey;  // green
        imageBuffer[entry + 2] = grey;  // red; the reserved byte stays
    }
}

void StoreImage(BlockFile& output) {
    std::int32_t remaining = imageCounts.loadedLength;
    imageCounts.blockOffset = 0;
    while (remaining > 0) {
        std::int32_t blockCount = remaining < kPrintBlockBytes ? remaining : kPrintBlockBytes;
        std::memcpy(transferBlock, imageBuffer + imageCounts.blockOffset, static_cast<std::size_t>(blockCount));
        remaining -= blockCount;
        imageCounts.blockOffset += blockCount;
        WriteBlock(output, transferBlock, static_cast<std::uint16_t>(blockCount), imageCounts.writtenCount);
        CheckIo();
    }
}
