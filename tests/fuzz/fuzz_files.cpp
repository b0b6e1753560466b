#include "fuzz_files.h"

#include <cstdlib>
#include <fstream>

namespace fuzz {
namespace {

std::filesystem::path scratch;

void RemoveScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

}  // namespace

FileShape TakeFileShape(Input& input, std::size_t zerosBelow, bool last) {
    FileShape shape;
    int shift = input.Byte() % 24;
    shape.zeros = (input.Number(3) >> shift) % zerosBelow;
    shape.content = last ? input.Rest() : input.Bytes(input.Number(2));
    return shape;
}

const std::filesystem::path& ScratchFolder() {
    if (scratch.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "suite-fuzz-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
        scratch = pattern;
        std::atexit(RemoveScratch);
    }
    return scratch;
}

void WriteShape(const std::filesystem::path& file, const FileShape& shape) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(shape.content.data(), static_cast<std::streamsize>(shape.content.size()));
        Require(out.good(), "a fuzz file can be written");
    }
    // Extending leaves a hole that reads as zeros: megabytes cost no writing.
    std::error_code error;
    std::filesystem::resize_file(file, shape.Size(), error);
    Require(!error, "a fuzz file can be extended");
}

std::string_view ReadWholeFile(const std::filesystem::path& file) {
    static std::string bytes;
    bytes.resize(std::filesystem::file_size(file));
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(in.gcount() == static_cast<std::streamsize>(bytes.size()), "a file can be read back");
    return bytes;
}

ShortText PathText(const std::filesystem::path& file) {
    ShortText text = CopyText(file.string());
    Require(!text.cut, "the scratch folder's paths fit a short text");
    return text;
}

}  // namespace fuzz
