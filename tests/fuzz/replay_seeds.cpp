// The fuzz targets outside the fuzz build: each seed of the target's corpus
// is fed to it once, so that the seeds guard every build as tests. A failed
// property ends the program as it ends the fuzzer.
//
//   fuzz_<name> FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::set<std::filesystem::path> seeds;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) seeds.insert(entry.path());
    }
    for (const auto& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu seeds replayed\n", seeds.size());
    return seeds.empty() ? 1 : 0;  // a target without seeds guards nothing
}
