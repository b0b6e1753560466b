#include <cstring>

#include "../core.h"

ShortText CopyText(std::string_view text) { return JoinTexts({text}); }

ShortText JoinTexts(std::initializer_list<std::string_view> parts) {
    ShortText result;
    std::size_t length = 0;
    for (std::string_view part : parts) {
        std::size_t take = part.size();
        if (take > kShortTextBytes - length) {
            take = kShortTextBytes - length;
            result.cut = true;
        }
        if (take == 0) continue;  // an empty view may have no bytes at all to copy from
        std::memcpy(result.bytes + length, part.data(), take);
        length += take;
    }
    result.length = static_cast<std::uint8_t>(length);
    return result;
}

ShortText LowerLetters(const ShortText& text) {
    ShortText result = text;
    for (std::size_t i = 0; i < result.length; ++i) {
        char c = result.bytes[i];
        if (c >= 'A' && c <= 'Z') result.bytes[i] = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool TextEquals(const ShortText& a, std::string_view b) { return a.View() == b; }

ShortText DecimalText(std::int64_t value) {
    // Digits are produced from the unsigned magnitude, so the most negative
    // value needs no special case.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char digits[24];
    std::size_t at = sizeof digits;
    do {
        digits[--at] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--at] = '-';
    return CopyText({digits + at, sizeof digits - at});
}

ShortText Blanks(int count) {
    ShortText result;
    if (count < 0) count = 0;
    if (count > static_cast<int>(kShortTextBytes)) count = kShortTextBytes;
    std::memset(result.bytes, ' ', static_cast<std::size_t>(count));
    result.length = static_cast<std::uint8_t>(count);
    return result;
}
