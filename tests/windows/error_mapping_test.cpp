// The Windows system error codes as the layer's numbers.
#include <gtest/gtest.h>

#include "platform/windows/error_mapping.h"

using platform::windows::MapSystemError;

TEST(SystemErrorMapping, DiskCodesKeepTheirNumbers) {
    for (std::uint32_t code = 1; code <= 18; ++code) EXPECT_EQ(MapSystemError(code), code);
}

TEST(SystemErrorMapping, DeviceCodesBecomeTheDeviceNumbers) {
    for (std::uint32_t code = 19; code <= 31; ++code) EXPECT_EQ(MapSystemError(code), code + 131) << code;
    EXPECT_EQ(MapSystemError(19), 150);  // write protected
    EXPECT_EQ(MapSystemError(21), 152);  // drive not ready
    EXPECT_EQ(MapSystemError(31), 162);  // general failure
}

TEST(SystemErrorMapping, SomeCodesShareANumber) {
    EXPECT_EQ(MapSystemError(32), 5);     // sharing violation
    EXPECT_EQ(MapSystemError(145), 5);    // directory not empty
    EXPECT_EQ(MapSystemError(183), 5);    // already exists
    EXPECT_EQ(MapSystemError(112), 101);  // disk full
    EXPECT_EQ(MapSystemError(206), 3);    // file name too long
}

TEST(SystemErrorMapping, OtherCodesAreUsedUnchanged) {
    for (std::uint32_t code : {33u, 38u, 87u, 109u, 123u, 144u, 146u, 182u, 184u, 205u, 207u, 1392u, 65535u}) {
        EXPECT_EQ(MapSystemError(code), code) << code;
    }
}

TEST(SystemErrorMapping, AFailureNeverReadsAsSuccess) {
    EXPECT_EQ(MapSystemError(0), 162);      // a failure that came without a code
    EXPECT_EQ(MapSystemError(65536), 162);  // would be 0 in sixteen bits
    EXPECT_EQ(MapSystemError(0x80070005u), 162);
}
