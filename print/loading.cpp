#include "loading.h"

#include <cstring>

namespace {

// Never cleared between blocks: after a short read its tail still holds the
// previous block's bytes, which land past the loaded length.
std::uint8_t transferBlock[kImageBlockBytes];

}  // namespace

bool LoadImage(BlockFile& input, std::span<std::uint8_t, kImageBufferBytes> image, std::int32_t& loadedLength) {
    std::int32_t blockOffset = 0;
    std::uint16_t readCount = 0;
    loadedLength = 0;
    do {
        ReadBlock(input, transferBlock, kImageBlockBytes, readCount);
        CheckIo();
        if (blockOffset > kSizeGuardOffset) return false;
        // The whole block, whatever the read gave: the image past the loaded
        // length is never written, so this costs nothing.
        std::memcpy(image.data() + blockOffset, transferBlock, kImageBlockBytes);
        blockOffset += kImageBlockBytes;
        loadedLength += readCount;
    } while (readCount != 0);
    return true;
}
