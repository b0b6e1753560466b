// The greentone converters' loading of the palette file and the image, their
// mapping and their storing, in process, for every row of the variant table.
// The tool's own source is compiled here once per row, each in a namespace of
// its own with its main procedure renamed: its static buffers and its steps
// are then reached without ending the process.
//
// A palette file and an image of any length, up to megabytes, load without a
// fault; the output is 251078 bytes; its header block is the palette file's
// bytes as far as that has them; every pixel whose three bytes lie inside
// the image is mapped from them; and the run's size check fails exactly for
// an image not of the row's size.
#include <cstring>
#include <span>

#include "converter.h"
#include "core.h"
#include "formats.h"
#include "fuzz_files.h"
#include "mapping.h"
#include "variants.h"

namespace {

// One row's steps, in the order of its main procedure, and what they leave.
struct Row {
    void (*loadPalette)();
    std::int32_t (*loadImage)();  // gives the bytes read
    void (*mapPixels)();
    void (*storeImage)();
    BlockFile* sourceFile;
    BlockFile* outputFile;
    const Variant* variant;
    std::uint8_t (*pixelIndex)(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
};

}  // namespace

// Named from inside a row's namespace, after its source.
#define GREENTONE_ROW_STEPS                                                                                \
    const Row kRow = {[] { LoadFile(outputImage); },                                                       \
                      [] { return LoadFile(inputImage); },                                                 \
                      [] {                                                                                 \
                          MapPixels<kVariant.mapping>(                                                     \
                              std::span(inputImage).subspan<kVariant.pixelDataOffset, kInputPixelBytes>(), \
                              std::span(outputImage).subspan<kOutputPixelOffset, kPixelCount>());          \
                      },                                                                                   \
                      [] { StoreInBlocks(outputFile, std::span(outputImage).first<kOutputBytes>()); },     \
                      &sourceFile,                                                                         \
                      &outputFile,                                                                         \
                      &kVariant,                                                                           \
                      PixelIndex<kVariant.mapping>};

#define main TalmiroMain

#define VARIANT_ROW 0
namespace talmirox3 {
#include "talmiro.cpp"
GREENTONE_ROW_STEPS
}  // namespace talmirox3
#undef VARIANT_ROW

#define VARIANT_ROW 1
namespace talmiro3 {
#include "talmiro.cpp"
GREENTONE_ROW_STEPS
}  // namespace talmiro3
#undef VARIANT_ROW

#define VARIANT_ROW 2
namespace talmirox {
#include "talmiro.cpp"
GREENTONE_ROW_STEPS
}  // namespace talmirox
#undef VARIANT_ROW

#undef main

namespace {

const Row* const kRows[kVariantRows] = {&talmirox3::kRow, &talmiro3::kRow, &talmirox::kRow};

// Files up to a little past what the tools' buffer takes in.
constexpr std::size_t kZerosBelow = talmirox3::kImageBufferBytes + 2 * kImageBlockBytes;

void Open(BlockFile& file, const std::filesystem::path& path) {
    BindFile(file, fuzz::PathText(path));
    OpenExisting(file, 1);
    fuzz::Require(FetchIoResult() == 0, "a fuzz file opens");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input{data, size};
    const Row& row = *kRows[input.Byte() % kVariantRows];
    fuzz::FileShape palette = fuzz::TakeFileShape(input, kZerosBelow, false);
    fuzz::FileShape image = fuzz::TakeFileShape(input, kZerosBelow, true);
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    std::filesystem::path paletteFile = folder / "talmiro.dat", imageFile = folder / "in.bmp",
                          outputFile = folder / "out.bmp";
    fuzz::WriteShape(paletteFile, palette);
    fuzz::WriteShape(imageFile, image);

    FetchIoResult();
    Open(*row.sourceFile, paletteFile);
    row.loadPalette();
    Open(*row.sourceFile, imageFile);
    std::int32_t totalRead = row.loadImage();
    row.mapPixels();
    CreateOutput(*row.outputFile, fuzz::PathText(outputFile), *row.sourceFile, 1);
    fuzz::Require(PendingIoError() == 0, "the output is created");
    row.storeImage();
    FinishOutput(*row.outputFile);
    fuzz::Require(FetchIoResult() == 0, "the output is finished");

    std::string_view output = fuzz::ReadWholeFile(outputFile);
    fuzz::Require(output.size() == kOutputBytes, "the output has 251078 bytes");
    for (std::size_t at = 0; at < kHeaderBlockBytes && at < palette.Size(); ++at) {
        fuzz::Require(static_cast<std::uint8_t>(output[at]) == palette.At(at),
                      "the header block is the palette file's");
    }
    const Variant& variant = *row.variant;
    for (std::size_t pixel = 0; pixel < kPixelCount; ++pixel) {
        std::size_t from = static_cast<std::size_t>(variant.pixelDataOffset) + kInputBytesPerPixel * pixel;
        if (from + kInputBytesPerPixel > image.Size()) break;
        std::uint8_t index = row.pixelIndex(image.At(from), image.At(from + 1), image.At(from + 2));
        fuzz::Require(static_cast<std::uint8_t>(output[kOutputPixelOffset + pixel]) == index,
                      "each pixel of the image is mapped from its own bytes");
    }
    auto expectedSize = static_cast<std::size_t>(variant.expectedInputSize);
    fuzz::Require((totalRead == variant.expectedInputSize) == (image.Size() == expectedSize),
                  "the size check fails exactly for an image not of the expected size");
    return 0;
}
