// DigitsToNumber over any text and any base: no undefined behaviour, and the
// value of the digits read first to last in 64 bits, taken modulo 2^32.
#include "fuzz_input.h"
#include "partset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input{data, size};
    auto base = static_cast<std::int32_t>(input.Number(4));
    ShortText text = CopyText(input.Rest());

    // Read first to last, the value so far times the base plus the next
    // digit: a different order of work from the last-first sum it checks.
    std::uint64_t value = 0;
    for (char c : text.View()) {
        auto digit = static_cast<std::int64_t>(static_cast<unsigned char>(c)) - 48;
        value = value * static_cast<std::uint64_t>(static_cast<std::int64_t>(base)) + static_cast<std::uint64_t>(digit);
    }
    fuzz::Require(DigitsToNumber(text, base) == static_cast<std::int32_t>(static_cast<std::uint32_t>(value)),
                  "the digits' value modulo 2^32");
    return 0;
}
