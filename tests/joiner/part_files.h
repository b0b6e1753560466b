// Part-file sets made by the joiner's tests themselves.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

#include "run_process.h"

// Writes part1.zip, part2.zip, ... of the given sizes into folder, each with
// bytes of its own; gives them joined in order, as the joiner should.
inline std::string MakeParts(const std::filesystem::path& folder, std::initializer_list<std::size_t> sizes) {
    std::string joined;
    unsigned number = 1;
    for (std::size_t size : sizes) {
        std::string bytes = test_support::PatternBytes(size, number);
        test_support::WriteWholeFile(folder / ("part" + std::to_string(number++) + ".zip"), bytes);
        joined += bytes;
    }
    return joined;
}
