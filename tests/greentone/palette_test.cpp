// The palette file that ships with the suite: made again by the build, it is
// the header block of a 500x500 8-bit BMP with a greentone colour table.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run_process.h"

namespace {

using test_support::ReadWholeFile;
using test_support::ToolPath;

std::uint32_t Field(const std::string& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

TEST(ShippedPalette, IsWhatTheGeneratorMakes) {
    std::string shipped = ReadWholeFile(SHIPPED_PALETTE_FILE);
    ASSERT_EQ(shipped.size(), 1078u);
    EXPECT_EQ(ReadWholeFile(ToolPath("talmiro.dat")), shipped);
}

TEST(ShippedPalette, IsTheHeaderOfA500By500IndexedBmp) {
    std::string header = ReadWholeFile(SHIPPED_PALETTE_FILE);
    ASSERT_EQ(header.size(), 1078u);
    EXPECT_EQ(header.substr(0, 2), "BM");
    EXPECT_EQ(Field(header, 2, 4), 251078u);
    EXPECT_EQ(Field(header, 6, 4), 0u);
    EXPECT_EQ(Field(header, 10, 4), 1078u);
    EXPECT_EQ(Field(header, 14, 4), 40u);
    EXPECT_EQ(Field(header, 18, 4), 500u);
    EXPECT_EQ(Field(header, 22, 4), 500u);
    EXPECT_EQ(Field(header, 26, 2), 1u);
    EXPECT_EQ(Field(header, 28, 2), 8u);
    EXPECT_EQ(Field(header, 30, 4), 0u);
    EXPECT_TRUE(Field(header, 34, 4) == 250000u || Field(header, 34, 4) == 0u);
    EXPECT_TRUE(Field(header, 46, 4) == 256u || Field(header, 46, 4) == 0u);
}

// Black, then ever lighter greens, ending in a light green-white: no channel
// ever falls, green leads every entry, and the last entry is pale.
TEST(ShippedPalette, RampsFromBlackThroughGreens) {
    std::string header = ReadWholeFile(SHIPPED_PALETTE_FILE);
    ASSERT_EQ(header.size(), 1078u);
    auto channel = [&](int entry, int which) { return static_cast<unsigned char>(header[54 + 4 * entry + which]); };
    EXPECT_EQ(channel(0, 0) + channel(0, 1) + channel(0, 2), 0);
    for (int entry = 0; entry < 256; ++entry) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(channel(entry, 3), 0);
        EXPECT_GE(channel(entry, 1), channel(entry, 0));
        EXPECT_GE(channel(entry, 1), channel(entry, 2));
        if (entry > 0) {
            for (int which = 0; which < 3; ++which) EXPECT_GE(channel(entry, which), channel(entry - 1, which));
            EXPECT_GT(channel(entry, 0) + channel(entry, 1) + channel(entry, 2),
                      channel(entry - 1, 0) + channel(entry - 1, 1) + channel(entry - 1, 2));
        }
    }
    EXPECT_GE(channel(249, 0), 180);  // the top of the plain mapping is already pale
    EXPECT_GE(channel(249, 2), 180);
    EXPECT_EQ(channel(255, 1), 255);
}

}  // namespace
