// The held key: KeyWaiting, TakeKey with special keys as 0 then the code,
// piped bytes; the tone and the end of the console.
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
    device::KeyEvent altX;
    altX.kind = device::EventKind::Press;
    altX.character = 'x';
    altX.scanCode = 45;
    altX.leftAltDown = true;
    memory_console::Queue(altX);
    device::KeyEvent keypadEnter;
    keypadEnter.kind = device::EventKind::Press;
    keypadEnter.character = 13;
    keypadEnter.scanCode = scan::kKeypadEnter;
    keypadEnter.extended = true;
    memory_console::Queue(keypadEnter);
    device::KeyEvent shiftTab;
    shiftTab.kind = device::EventKind::Press;
    shiftTab.character = 9;
    shiftTab.scanCode = 15;
    shiftTab.shiftDown = true;
    memory_console::Queue(shiftTab);
    memory_console::Type("\x03");  // Ctrl+C handed over as a key
    int expected[] = {0, 45, 0, 28, 0, 15, 3};
    for (int code : expected) EXPECT_EQ(Take(), code);
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
    std::uint32_t before = MillisecondTicks();
    Pause(30);
    std::uint32_t slept = MillisecondTicks() - before;
    EXPECT_GE(slept, 29u);
    EXPECT_LT(slept, 1000u);
}

}  // namespace
