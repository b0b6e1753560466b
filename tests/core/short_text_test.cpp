#include <gtest/gtest.h>

#include "core.h"

TEST(ShortText, KeepsTheFirst255Bytes) {
    std::string long_text(300, 'x');
    EXPECT_EQ(CopyText(long_text).length, 255);
}
