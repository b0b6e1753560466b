// The held key: KeyWaiting, TakeKey with special keys as 0 then the code,
// piped bytes; the tone and the end of the console.
#include <chrono>

#include "window_test_support.h"

namespace {

namespace device = platform::console;
namespace scan = device::scan;
using KeysTest = WindowTest;

int Take() { return static_cast<unsigned char>(TakeKey()); }

TEST_F(KeysTest, F1GivesZeroThenItsCode) {
    memory_console::PressSpecial(scan::kF1);
    EXPECT_TRUE(KeyWaiting());
    EXPECT_EQ(Take(), 0);
    EXPECT_TRUE(KeyWaiting());  // the code is held and waits at once
    EXPECT_EQ(Take(), 59);
    EXPECT_FALSE(KeyWaiting());
}

TEST_F(KeysTest, ModifiersAloneAndOtherEventsAreNoKeyPresses) {
    memory_console::PressModifier();
    memory_console::ReleaseKey();
    EXPECT_FALSE(KeyWaiting());
    memory_console::PressModifier();
    memory_console::Type("x");
    EXPECT_TRUE(KeyWaiting());
    EXPECT_EQ(Take(), 'x');
}

TEST_F(KeysTest, KeyWaitingHoldsOneKeyWithoutTakingTheNext) {
    memory_console::Type("ab");
    EXPECT_TRUE(KeyWaiting());
    EXPECT_TRUE(KeyWaiting());
    EXPECT_EQ(Take(), 'a');
    EXPECT_EQ(Take(), 'b');
    EXPECT_EQ(PendingIoError(), 0);
}

TEST_F(KeysTest, KeysWithoutCharacterWithLeftAltOrExtendedAreSpecial) {
    constexpr auto kPress = device::EventKind::Press;
    memory_console::Queue({.kind = kPress, .character = 'x', .scanCode = 45, .leftAltDown = true});
    memory_console::Queue({.kind = kPress, .character = 13, .scanCode = scan::kKeypadEnter, .extended = true});
    memory_console::Queue({.kind = kPress, .character = 9, .scanCode = 15, .shiftDown = true});  // Shift+Tab
    memory_console::Type("\x03");  // Ctrl+C handed over as a key
    int expected[] = {0, 45, 0, 28, 0, 15, 3};
    for (int code : expected) EXPECT_EQ(Take(), code);
}

TEST_F(KeysTest, AltWithKeypadDigitsTypesTheCharacterOfThatCodeOnRelease) {
    memory_console::PressModifier();  // Alt
    memory_console::PressKeypadDigit(6, true);
    memory_console::PressKeypadDigit(5, true);
    EXPECT_FALSE(KeyWaiting());  // nothing until Alt is let go
    memory_console::ReleaseAlt();
    EXPECT_TRUE(KeyWaiting());
    EXPECT_EQ(Take(), 65);
    // The code is taken modulo 256, and every release starts afresh.
    for (std::uint8_t digit : {3, 2, 1}) memory_console::PressKeypadDigit(digit, true);
    memory_console::ReleaseAlt();
    for (std::uint8_t digit : {2, 5, 5}) memory_console::PressKeypadDigit(digit, true);
    memory_console::ReleaseAlt();
    // The right Alt composes as the left one does.
    for (std::uint8_t digit : {6, 6}) memory_console::PressKeypadDigit(digit, true, false);
    memory_console::ReleaseAlt();
    EXPECT_EQ(Take(), 65);
    EXPECT_EQ(Take(), 255);
    EXPECT_EQ(Take(), 66);
}

TEST_F(KeysTest, AltReleasedWithoutACodeAboveZeroTypesNothing) {
    memory_console::ReleaseAlt();  // Alt alone
    memory_console::PressKeypadDigit(0, true);
    memory_console::PressKeypadDigit(0, true);
    memory_console::ReleaseAlt();
    EXPECT_FALSE(KeyWaiting());
    memory_console::PressKeypadDigit(2, true);
    memory_console::PressKeypadDigit(5, true);
    memory_console::PressKeypadDigit(6, true);  // 256 is 0
    memory_console::ReleaseAlt();
    EXPECT_FALSE(KeyWaiting());
}

TEST_F(KeysTest, KeypadDigitsWithoutAltAreTheirCharacters) {
    memory_console::PressKeypadDigit(7, false);
    memory_console::ReleaseAlt();  // a release after them composes nothing
    EXPECT_EQ(Take(), '7');
    EXPECT_FALSE(KeyWaiting());
}

TEST_F(KeysTest, AComposedCharacterIsTypedIntoTheLineEditor) {
    memory_console::Type("a");
    for (std::uint8_t digit : {9, 8}) memory_console::PressKeypadDigit(digit, true);
    memory_console::ReleaseAlt();
    memory_console::Type("\r");
    EXPECT_EQ(ReadText().View(), "ab");
    EXPECT_EQ(RowText(0), "ab");
}

TEST_F(KeysTest, NoEchoOfTakenKeys) {
    memory_console::Type("q");
    EXPECT_EQ(Take(), 'q');
    EXPECT_EQ(RowText(0), "");
}

TEST_F(KeysTest, PipedBytesAreRepliesThatThePollNeverTakes) {
    Start({.typedBytes = true});
    memory_console::Type("y\r\nz\n");
    EXPECT_FALSE(KeyWaiting());
    EXPECT_EQ(Take(), 'y');
    EXPECT_FALSE(KeyWaiting());
    EXPECT_EQ(Take(), 13);  // CR LF is one Enter
    EXPECT_EQ(Take(), 'z');
    EXPECT_EQ(Take(), 13);  // LF is Enter
    EXPECT_EQ(PendingIoError(), 0);
}

TEST_F(KeysTest, WaitingForAKeyAfterTheEndRaisesReadFault) {
    Start({.typedBytes = true});
    EXPECT_EQ(Take(), 26);
    EXPECT_EQ(PendingIoError(), 161);
    memory_console::Type("k");
    EXPECT_EQ(Take(), 26);  // while the error is pending nothing is read
    EXPECT_EQ(FetchIoResult(), 161);
    EXPECT_EQ(Take(), 'k');
}

TEST_F(KeysTest, ToneRunsUntilStoppedAndEveryEndSilencesIt) {
    StartTone(1001);
    EXPECT_EQ(memory_console::ToneHz(), 1001);
    StopTone();
    EXPECT_EQ(memory_console::ToneHz(), 0);
    StartTone(3892);
    EXPECT_EQ(memory_console::StartCount(), 1);
    ConsoleEnd();
    EXPECT_EQ(memory_console::ToneHz(), 0);
    ConsoleEnd();  // harmless a second time
    EXPECT_EQ(memory_console::EndCount(), 2);
}

TEST_F(KeysTest, PauseSleepsAboutTheTimeAsked) {
    // Measured with a clock of its own: Windows' tick counter moves in
    // steps of about 16 milliseconds.
    auto before = std::chrono::steady_clock::now();
    Pause(30);
    auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    EXPECT_GE(slept.count(), 29);
    EXPECT_LT(slept.count(), 1000);
}

}  // namespace
