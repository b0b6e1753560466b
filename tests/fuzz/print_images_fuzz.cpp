// The print converters' loading of a capture image, the palette rule and the
// storing, in process, with the tools' own loader; the rule is taken from
// the input.
//
// A file of any length, up to past the largest one taken, loads without a
// fault; exactly the files up to 5373952 bytes pass the size guard; the
// output then has the input's length, every byte outside the palette as it
// was, and each palette entry grey by the rule where its green byte lies
// inside the file.
#include <algorithm>
#include <cstring>
#include <span>

#include "converter.h"
#include "core.h"
#include "fuzz_files.h"
#include "loading.h"
#include "palette_rule.h"

namespace {

constexpr std::size_t kZerosBelow = kLargestImageBytes + 2 * kImageBlockBytes;

std::uint8_t loadedImage[kImageBufferBytes];
BlockFile inputFile;
BlockFile outputFile;

bool AllZero(std::string_view bytes) {
    static const char kZeros[4096] = {};
    for (std::size_t at = 0; at < bytes.size(); at += sizeof kZeros) {
        std::string_view part = bytes.substr(at, sizeof kZeros);
        if (std::memcmp(part.data(), kZeros, part.size()) != 0) return false;
    }
    return true;
}

std::uint8_t Grey(std::uint8_t green, PaletteRule rule) {
    return rule == PaletteRule::Straight ? green : static_cast<std::uint8_t>(255 - green);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input{data, size};
    PaletteRule rule = (input.Byte() & 1) == 0 ? PaletteRule::Straight : PaletteRule::Inverted;
    fuzz::FileShape image = fuzz::TakeFileShape(input, kZerosBelow, true);
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    std::filesystem::path imageFile = folder / "in.bmp", convertedFile = folder / "out.bmp";
    fuzz::WriteShape(imageFile, image);

    FetchIoResult();
    BindFile(inputFile, fuzz::PathText(imageFile));
    OpenExisting(inputFile, 1);
    fuzz::Require(FetchIoResult() == 0, "the image opens");
    std::int32_t loadedLength = 0;
    bool loaded = LoadImage(inputFile, loadedImage, loadedLength);
    CloseFile(inputFile);
    fuzz::Require(FetchIoResult() == 0, "the image is read");
    fuzz::Require(loaded == (image.Size() <= static_cast<std::size_t>(kLargestImageBytes)),
                  "exactly the files up to the largest pass the size guard");
    if (!loaded) return 0;
    fuzz::Require(static_cast<std::size_t>(loadedLength) == image.Size(), "the whole file is loaded");

    CreateOutput(outputFile, fuzz::PathText(convertedFile), inputFile, 1);
    fuzz::Require(PendingIoError() == 0, "the output is created");
    ConvertPalette(std::span(loadedImage).subspan<kPaletteOffset, kPaletteBytes>(), rule);
    std::uint16_t lastWriteCount =
        StoreInBlocks(outputFile, std::span(loadedImage).first(static_cast<std::size_t>(loadedLength)));
    FinishOutput(outputFile);
    fuzz::Require(FetchIoResult() == 0, "the output is finished");
    fuzz::Require((lastWriteCount == 0) == (image.Size() == 0), "only an empty image writes nothing");

    std::string_view output = fuzz::ReadWholeFile(convertedFile);
    fuzz::Require(output.size() == image.Size(), "the output has the input's length");
    std::size_t paletteEnd = std::min(output.size(), static_cast<std::size_t>(kPaletteEnd));
    for (std::size_t at = 0; at < paletteEnd; ++at) {
        auto byte = static_cast<std::uint8_t>(output[at]);
        std::size_t field = (at - kPaletteOffset) % kPaletteEntryBytes;  // blue, green, red, reserved
        if (at < static_cast<std::size_t>(kPaletteOffset) || field == 3) {
            fuzz::Require(byte == image.At(at), "the header and the reserved bytes pass unchanged");
            continue;
        }
        std::size_t green = at - field + 1;
        if (green < image.Size()) fuzz::Require(byte == Grey(image.At(green), rule), "a palette colour is its grey");
    }
    // Past the palette: the input's content, then its zeros, as they were.
    std::string_view after = output.substr(paletteEnd);
    std::string_view content = image.content.substr(std::min(paletteEnd, image.content.size()));
    fuzz::Require(after.substr(0, content.size()) == content && AllZero(after.substr(content.size())),
                  "the pixels pass unchanged");
    return 0;
}
