#include "partset.h"

ShortText PartFileName(const ShortText& baseName, std::int32_t partNumber) {
    return JoinTexts({baseName.View(), DecimalText(partNumber).View(), ".zip"});
}

bool PartNumberCutOff(const ShortText& baseName, std::int32_t partNumber) {
    return baseName.length + DecimalText(partNumber).length > kShortTextBytes;
}

std::int32_t DigitsToNumber(const ShortText& text, std::int32_t base) {
    // Unsigned arithmetic gives the wrap-around without undefined behaviour.
    std::uint32_t result = 0;
    std::uint32_t weight = 1;
    for (std::size_t i = text.length; i > 0; --i) {
        auto code = static_cast<unsigned char>(text.bytes[i - 1]);
        result += (static_cast<std::uint32_t>(code) - 48u) * weight;
        weight *= static_cast<std::uint32_t>(base);
    }
    return static_cast<std::int32_t>(result);
}
