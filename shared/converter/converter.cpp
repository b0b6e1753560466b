// The converters' start and the storing of a finished image.
#include "../converter.h"

#include <cstddef>

bool StartConverter(int argc, char** argv, ShortText& inputName, ShortText& outputName) {
    StartProgram(argc, argv);
    inputName = ArgumentText(1);
    outputName = ArgumentText(2);
    return !inputName.Empty() && !outputName.Empty();
}

// Each block is written straight from the image, without a copy.
std::uint16_t StoreInBlocks(BlockFile& file, std::span<const std::uint8_t> bytes) {
    std::uint16_t written = 0;
    while (!bytes.empty() && PendingIoError() == 0) {
        std::size_t count = bytes.size() < kImageBlockBytes ? bytes.size() : kImageBlockBytes;
        WriteBlock(file, bytes.data(), static_cast<std::uint16_t>(count), written);
        bytes = bytes.subspan(count);
    }
    return written;
}
