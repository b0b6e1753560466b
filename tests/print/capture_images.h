// Capture images for the print converter tests, and what the converters
// must make of them, calculated here independently of the tools' code.
#pragma once

#include <cstdint>
#include <string>

#include "run_process.h"

namespace print_test {

inline constexpr std::size_t kCaptureBytes = 787510;

inline void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFFu);
}

// A 1024x768 8-bit BMP as the capture program writes it, with a colourful
// palette and pixel indices that differ from seed to seed.
inline std::string CaptureImage(unsigned seed = 1) {
    std::string bytes = test_support::PatternBytes(kCaptureBytes, seed);
    bytes[0] = 'B';
    bytes[1] = 'M';
    // The header's fields after the signature: offset, value, width in bytes.
    const struct {
        std::size_t at;
        std::uint32_t value;
        int width;
    } fields[] = {{2, kCaptureBytes, 4}, {6, 0, 4},     {10, 1078, 4}, {14, 40, 4}, {18, 1024, 4},
                  {22, 768, 4},          {26, 1, 2},    {28, 8, 2},    {30, 0, 4},  {34, 786432, 4},
                  {38, 2835, 4},         {42, 2835, 4}, {46, 256, 4},  {50, 0, 4}};
    for (const auto& field : fields) PutLittleEndian(bytes, field.at, field.value, field.width);
    for (std::size_t entry = 54; entry < 1078; entry += 4) bytes[entry + 3] = 0;
    return bytes;
}

// The input with every palette entry (as far as the file reaches) made the
// grey of its green byte, or of its complement; a green byte past the end
// of the file counts as 0.
inline std::string Printed(const std::string& input, bool inverted) {
    std::string out = input;
    for (std::size_t entry = 54; entry < 1078 && entry < input.size(); entry += 4) {
        unsigned green = entry + 1 < input.size() ? static_cast<unsigned char>(input[entry + 1]) : 0u;
        char grey = static_cast<char>(inverted ? 255u - green : green);
        for (std::size_t k = 0; k < 3 && entry + k < input.size(); ++k) out[entry + k] = grey;
    }
    return out;
}

}  // namespace print_test
