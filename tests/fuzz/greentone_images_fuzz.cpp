// The greentone converters' loading of the palette file and the image, their
// mapping and their storing, in process, for every row of the variant table,
// with the tools' own loader, mapping and storing.
//
// A palette file and an image of any length, up to megabytes, load without a
// fault; the output is 251078 bytes; its header block is the palette file's
// bytes as far as that has them; every pixel whose three bytes lie inside
// the image is mapped from them; and the run's size check fails exactly for
// an image not of the row's size.
#include <span>

#include "converter.h"
#include "core.h"
#include "formats.h"
#include "fuzz_files.h"
#include "loading.h"
#include "mapping.h"
#include "variants.h"

namespace {

std::uint8_t inputImage[kImageBufferBytes];
std::uint8_t outputImage[kImageBufferBytes];  // the palette file, then the indexes after its header block
BlockFile sourceFile;
BlockFile outputFile;

// Files up to a little past what the loader's buffer takes in.
constexpr std::size_t kZerosBelow = kImageBufferBytes + 2 * kImageBlockBytes;

// The row's mapping, as its tool makes it.
void MapRowPixels(const Variant& variant) {
    std::span<const std::uint8_t, kInputPixelBytes> pixels =
        std::span(inputImage).subspan(static_cast<std::size_t>(variant.pixelDataOffset)).first<kInputPixelBytes>();
    std::span<std::uint8_t, kPixelCount> indexes = std::span(outputImage).subspan<kOutputPixelOffset, kPixelCount>();
    if (variant.mapping == Mapping::Plain) {
        MapPixels<Mapping::Plain>(pixels, indexes);
    } else {
        MapPixels<Mapping::HighContrast>(pixels, indexes);
    }
}

std::uint8_t RowPixelIndex(Mapping mapping, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return mapping == Mapping::Plain ? PixelIndex<Mapping::Plain>(blue, green, red)
                                     : PixelIndex<Mapping::HighContrast>(blue, green, red);
}

void Open(BlockFile& file, const std::filesystem::path& path) {
    BindFile(file, fuzz::PathText(path));
    OpenExisting(file, 1);
    fuzz::Require(FetchIoResult() == 0, "a fuzz file opens");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input{data, size};
    const Variant& variant = kVariants[input.Byte() % kVariantRows];
    fuzz::FileShape palette = fuzz::TakeFileShape(input, kZerosBelow, false);
    fuzz::FileShape image = fuzz::TakeFileShape(input, kZerosBelow, true);
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    std::filesystem::path paletteFile = folder / "talmiro.dat", imageFile = folder / "in.bmp",
                          outputFileName = folder / "out.bmp";
    fuzz::WriteShape(paletteFile, palette);
    fuzz::WriteShape(imageFile, image);

    FetchIoResult();
    Open(sourceFile, paletteFile);
    LoadFile(sourceFile, outputImage);
    Open(sourceFile, imageFile);
    std::int32_t totalRead = LoadFile(sourceFile, inputImage);
    MapRowPixels(variant);
    CreateOutput(outputFile, fuzz::PathText(outputFileName), sourceFile, 1);
    fuzz::Require(PendingIoError() == 0, "the output is created");
    StoreInBlocks(outputFile, std::span(outputImage).first<kOutputBytes>());
    FinishOutput(outputFile);
    fuzz::Require(FetchIoResult() == 0, "the output is finished");

    std::string_view output = fuzz::ReadWholeFile(outputFileName);
    fuzz::Require(output.size() == kOutputBytes, "the output has 251078 bytes");
    for (std::size_t at = 0; at < kHeaderBlockBytes && at < palette.Size(); ++at) {
        fuzz::Require(static_cast<std::uint8_t>(output[at]) == palette.At(at),
                      "the header block is the palette file's");
    }
    for (std::size_t pixel = 0; pixel < kPixelCount; ++pixel) {
        std::size_t from = static_cast<std::size_t>(variant.pixelDataOffset) + kInputBytesPerPixel * pixel;
        if (from + kInputBytesPerPixel > image.Size()) break;
        std::uint8_t index = RowPixelIndex(variant.mapping, image.At(from), image.At(from + 1), image.At(from + 2));
        fuzz::Require(static_cast<std::uint8_t>(output[kOutputPixelOffset + pixel]) == index,
                      "each pixel of the image is mapped from its own bytes");
    }
    auto expectedSize = static_cast<std::size_t>(variant.expectedInputSize);
    fuzz::Require((totalRead == variant.expectedInputSize) == (image.Size() == expectedSize),
                  "the size check fails exactly for an image not of the expected size");
    return 0;
}
