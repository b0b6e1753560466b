// The PC keyboard's codes of keys by their scan codes, as the Windows
// console reports them (the terminal's sequences reach the same table).
#include <gtest/gtest.h>

#include "platform/console/pc_keys.h"

using platform::console::scan::ExtendedCode;
using platform::console::scan::KeypadDigit;
using HeldModifiers = platform::console::scan::Held;

namespace {

constexpr HeldModifiers kNone{};
constexpr HeldModifiers kShift{true, false, false};
constexpr HeldModifiers kCtrl{false, true, false};
constexpr HeldModifiers kAlt{false, false, true};

}  // namespace

TEST(ExtendedCode, FunctionKeysWithShiftCtrlAndAlt) {
    EXPECT_EQ(ExtendedCode(59, kNone), 59);  // F1
    EXPECT_EQ(ExtendedCode(59, kShift), 84);
    EXPECT_EQ(ExtendedCode(59, kCtrl), 94);
    EXPECT_EQ(ExtendedCode(59, kAlt), 104);
    EXPECT_EQ(ExtendedCode(68, kAlt), 113);   // F10
    EXPECT_EQ(ExtendedCode(87, kNone), 133);  // F11
    EXPECT_EQ(ExtendedCode(88, kNone), 134);  // F12
    EXPECT_EQ(ExtendedCode(87, kShift), 135);
    EXPECT_EQ(ExtendedCode(88, kCtrl), 138);
    EXPECT_EQ(ExtendedCode(88, kAlt), 140);
    EXPECT_EQ(ExtendedCode(59, HeldModifiers{true, true, true}), 104);  // Alt before Ctrl before Shift
    EXPECT_EQ(ExtendedCode(59, HeldModifiers{true, true, false}), 94);
}

TEST(ExtendedCode, CursorAndEditingKeys) {
    EXPECT_EQ(ExtendedCode(72, kNone), 72);  // up
    EXPECT_EQ(ExtendedCode(72, kShift), 72);
    EXPECT_EQ(ExtendedCode(75, kCtrl), 115);  // left
    EXPECT_EQ(ExtendedCode(77, kCtrl), 116);  // right
    EXPECT_EQ(ExtendedCode(71, kCtrl), 119);  // home
    EXPECT_EQ(ExtendedCode(73, kCtrl), 132);  // page up
    EXPECT_EQ(ExtendedCode(83, kCtrl), 147);  // delete
    EXPECT_EQ(ExtendedCode(80, kAlt), 160);   // down
    EXPECT_EQ(ExtendedCode(82, kAlt), 162);   // insert
}

TEST(ExtendedCode, AltWithTheDigitRowAndLetters) {
    EXPECT_EQ(ExtendedCode(2, kAlt), 120);   // Alt+1
    EXPECT_EQ(ExtendedCode(11, kAlt), 129);  // Alt+0
    EXPECT_EQ(ExtendedCode(13, kAlt), 131);  // Alt+=
    EXPECT_EQ(ExtendedCode(2, kNone), 2);
    EXPECT_EQ(ExtendedCode(45, kAlt), 45);  // Alt+X: the letter's own scan code
}

TEST(KeypadDigit, OnlyTheKeypadsDigitKeys) {
    const std::uint8_t digits[10] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};
    for (std::uint8_t digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(KeypadDigit(digits[digit], false), digit);
        EXPECT_EQ(KeypadDigit(digits[digit], true), platform::console::kNoKeypadDigit);  // the cursor block
    }
    for (std::uint8_t scan : {2, 11, 74, 78, 83, 53, 28}) {
        EXPECT_EQ(KeypadDigit(scan, false), platform::console::kNoKeypadDigit) << int(scan);
    }
}
