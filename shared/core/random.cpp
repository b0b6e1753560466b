#include <random>

#include "../core.h"

namespace {

std::uint32_t seed = 0;
bool generatorReady = false;
std::uint32_t generatorSeed = 0;
std::mt19937 generator;  // the standard Mersenne Twister; its state is static, not on the heap

}  // namespace

std::uint32_t MillisecondTicks() { return platform::MillisecondTicks(); }

void SeedRandom() { seed = MillisecondTicks(); }

std::uint32_t RandomBelow(std::uint32_t n) {
    if (!generatorReady || generatorSeed != seed) {
        generator.seed(seed);
        generatorSeed = seed;
        generatorReady = true;
    }
    std::uint64_t x = generator();
    return static_cast<std::uint32_t>((x * n) >> 32);
}
