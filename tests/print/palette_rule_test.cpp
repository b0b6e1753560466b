// The two palette rules on single entries; whole images are checked end to end.
#include <gtest/gtest.h>

#include <array>

#include "palette_rule.h"

namespace {

using Entry = std::array<int, 4>;  // blue, green, red, reserved

std::array<std::uint8_t, kPaletteBytes> palette;

void Put(int n, Entry entry) {
    for (int k = 0; k < 4; ++k) palette[4 * n + k] = static_cast<std::uint8_t>(entry[k]);
}

Entry Get(int n) {
    Entry entry;
    for (int k = 0; k < 4; ++k) entry[k] = palette[4 * n + k];
    return entry;
}

Entry Converted(Entry entry, PaletteRule rule, int n = 0) {
    Put(n, entry);
    ConvertPalette(palette, rule);
    return Get(n);
}

}  // namespace

TEST(PaletteRule, AnEntryBecomesTheGreyOfItsGreenOrOfItsComplement) {
    EXPECT_EQ(Converted({10, 200, 30, 7}, PaletteRule::Straight), (Entry{200, 200, 200, 7}));
    EXPECT_EQ(Converted({10, 200, 30, 7}, PaletteRule::Inverted), (Entry{55, 55, 55, 7}));
    EXPECT_EQ(Converted({90, 0, 250, 1}, PaletteRule::Straight, 17), (Entry{0, 0, 0, 1}));
    EXPECT_EQ(Converted({90, 0, 250, 1}, PaletteRule::Inverted, 17), (Entry{255, 255, 255, 1}));
    EXPECT_EQ(Converted({3, 255, 4, 255}, PaletteRule::Straight, 255), (Entry{255, 255, 255, 255}));
    EXPECT_EQ(Converted({3, 255, 4, 255}, PaletteRule::Inverted, 255), (Entry{0, 0, 0, 255}));
}
