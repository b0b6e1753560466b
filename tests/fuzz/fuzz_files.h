// Files for the image loaders' fuzz targets: made from the fuzz input in a
// scratch folder of the process, then loaded by the converters' own code.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core.h"
#include "fuzz_input.h"

namespace fuzz {

// Some bytes of the fuzz input followed by a run of zero bytes, so that a
// short input stands for a file of megabytes.
struct FileShape {
    std::string_view content;
    std::size_t zeros = 0;

    std::size_t Size() const { return content.size() + zeros; }
    std::uint8_t At(std::size_t offset) const {
        return offset < content.size() ? static_cast<std::uint8_t>(content[offset]) : 0;
    }
};

// A shift and a 3-byte count of zeros: the count shifted right by 0 to 23
// bits, below zerosBelow, so that small files come as often as large ones
// and cost less. Then, unless the shape is the input's last, a 2-byte
// length of its content; the last one's content is the rest of the input.
FileShape TakeFileShape(Input& input, std::size_t zerosBelow, bool last);

// The folder, made on first use and removed when the process ends normally.
const std::filesystem::path& ScratchFolder();

void WriteShape(const std::filesystem::path& file, const FileShape& shape);
// The file's bytes, valid up to the next call: one buffer serves every run.
std::string_view ReadWholeFile(const std::filesystem::path& file);

// A path as the layer names files; it must not be cut.
ShortText PathText(const std::filesystem::path& file);

}  // namespace fuzz
