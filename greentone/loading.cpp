#include "loading.h"

#include <cstring>

#include "converter.h"

namespace {

// Never cleared between blocks or files.
std::uint8_t transferBlock[kImageBlockBytes];

}  // namespace

std::int32_t LoadFile(BlockFile& file, std::span<std::uint8_t, kImageBufferBytes> buffer) {
    std::int32_t totalRead = 0;
    std::int32_t fillPosition = 0;  // where the next block goes
    std::uint16_t readCount = 0;
    do {
        ReadBlock(file, transferBlock, kImageBlockBytes, readCount);
        CheckIo();
        std::int32_t room = kImageBufferBytes - fillPosition;
        std::int32_t copied = room < kImageBlockBytes ? room : kImageBlockBytes;
        std::memcpy(buffer.data() + fillPosition, transferBlock, static_cast<std::size_t>(copied));
        fillPosition += copied;
        totalRead += readCount;
    } while (readCount != 0 && fillPosition < kImageBufferBytes);
    CloseFile(file);
    CheckIo();
    return totalRead;
}
