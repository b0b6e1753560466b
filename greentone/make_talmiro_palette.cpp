// Makes talmiro.dat, the palette file the greentone converters copy into
// every output: the 1078-byte header block of a 500x500 8-bit BMP with a
// greentone colour table. A build helper, not a tool of the suite.
//
//     make_talmiro_palette talmiro.dat
//
// The colours run smoothly from black through greens to a light green-white:
// green rises fast and levels off, red and blue come in slowly, so the dark
// half stays clearly green and only the brightest entries pale. Integer
// arithmetic only, so every build makes the same bytes.
#include <cstdint>
#include <cstdio>

#include "formats.h"

namespace {

// 72 dots per inch, the usual value when a picture carries no real one.
constexpr std::uint32_t kPixelsPerMetre = 2835;

// The brightest entry: red and blue stop short of 255, so white stays green.
constexpr std::uint32_t kTopRed = 232;
constexpr std::uint32_t kTopBlue = 208;
constexpr std::uint32_t kTop = 255;

std::uint8_t header[kHeaderBlockBytes];

void Put16(std::int32_t offset, std::uint32_t value) {
    header[offset] = static_cast<std::uint8_t>(value & 0xFFu);
    header[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFFu);
}

void Put32(std::int32_t offset, std::uint32_t value) {
    Put16(offset, value & 0xFFFFu);
    Put16(offset + 2, value >> 16);
}

void MakeHeader() {
    using namespace header_field;
    header[kSignature] = 'B';
    header[kSignature + 1] = 'M';
    Put32(kFileSize, kOutputBytes);
    Put32(kReserved, 0);
    Put32(kPixelDataOffset, kOutputPixelOffset);
    Put32(kInfoHeaderSize, kInfoHeaderBytes);
    Put32(kWidth, kImageWidth);
    Put32(kHeight, kImageHeight);
    Put16(kPlanes, 1);
    Put16(kBitsPerPixel, 8);
    Put32(kCompression, 0);
    Put32(kPixelDataSize, kPixelCount);
    Put32(kXResolution, kPixelsPerMetre);
    Put32(kYResolution, kPixelsPerMetre);
    Put32(kColoursUsed, kPaletteEntries);
    Put32(kImportantColours, 0);  // 0: all of them
}

void MakeColourTable() {
    for (std::uint32_t index = 0; index < kPaletteEntries; ++index) {
        std::uint32_t rest = kTop - index;
        std::uint32_t green = kTop - rest * rest / kTop;              // rises fast, then levels off
        std::uint32_t red = index * index * kTopRed / (kTop * kTop);  // comes in late
        std::uint32_t blue = index * index * kTopBlue / (kTop * kTop);
        std::uint8_t* entry = header + kPaletteOffset + index * kPaletteEntryBytes;
        entry[0] = static_cast<std::uint8_t>(blue);
        entry[1] = static_cast<std::uint8_t>(green);
        entry[2] = static_cast<std::uint8_t>(red);
        entry[3] = 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_talmiro_palette OUTPUT\n");
        return 2;
    }
    MakeHeader();
    MakeColourTable();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    bool written = std::fwrite(header, 1, sizeof header, out) == sizeof header;
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
