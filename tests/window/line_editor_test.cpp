// The line editor, driven through ReadText and SkipLine as the tools use it.
#include "window_test_support.h"

namespace {

namespace scan = platform::console::scan;
using LineEditorTest = WindowTest;

std::string Reply() {
    ShortText text = ReadText();
    SkipLine();
    return std::string(text.View());
}

TEST_F(LineEditorTest, TypedLineIsEchoedAndEnterEndsIt) {
    Show("Name: ");
    memory_console::Type("hello\r");
    EXPECT_EQ(Reply(), "hello");
    EXPECT_EQ(PendingIoError(), 0);
    EXPECT_EQ(RowText(0), "Name: hello");
    ExpectCursor(0, 1);  // Enter echoes CR LF
}

TEST_F(LineEditorTest, EnterOnAnEmptyLineGivesTheEmptyText) {
    memory_console::Type("\rnext\r");
    EXPECT_EQ(Reply(), "");
    EXPECT_EQ(Reply(), "next");
    EXPECT_EQ(PendingIoError(), 0);
}

TEST_F(LineEditorTest, TwoHundredSixtyKeysKeepTheFirst254) {
    std::string typed;
    for (int n = 0; n < 260; ++n) typed += static_cast<char>('a' + n % 26);
    memory_console::Type(typed + "\r");
    EXPECT_EQ(Reply(), typed.substr(0, 254));
    // Only the kept bytes were echoed: three full rows and 14 more.
    EXPECT_EQ(RowText(3), typed.substr(240, 14));
    EXPECT_EQ(RowText(4), "");
}

TEST_F(LineEditorTest, BackspaceErasesOnlyAtTheEndOfTheLine) {
    memory_console::Type("abc");
    memory_console::PressSpecial(scan::kLeft);
    memory_console::Type("\b");  // does nothing: the edit position is not at the end
    memory_console::PressSpecial(scan::kRight);
    memory_console::Type("\b\x13");  // Backspace, then Ctrl+S which acts the same
    memory_console::Type("\r");
    EXPECT_EQ(Reply(), "a");
    EXPECT_EQ(RowText(0), "a");  // the erased bytes are blanked on the screen
}

TEST_F(LineEditorTest, BackspaceOnAnEmptyLineDoesNothing) {
    Show("> ");
    memory_console::Type("\b\bx\r");
    EXPECT_EQ(Reply(), "x");
    EXPECT_EQ(RowText(0), "> x");
}

TEST_F(LineEditorTest, EscAndCtrlYEraseTheWholeLineFromScreenAndBuffer) {
    Show("? ");
    memory_console::Type("first");
    memory_console::PressSpecial(scan::kHome);
    memory_console::Type("\x1b");  // from the start: moves to the end, then erases
    ExpectCursor(2, 0);
    memory_console::Type("second\x19ok\r");
    EXPECT_EQ(Reply(), "ok");
    EXPECT_EQ(RowText(0), "? ok");
}

TEST_F(LineEditorTest, CursorKeysMoveTheEditPositionAndTypingOverwrites) {
    memory_console::Type("abcd");
    memory_console::PressSpecial(scan::kHome);
    memory_console::Type("X");
    memory_console::PressSpecial(scan::kRight);
    memory_console::Type("Y");
    memory_console::PressSpecial(scan::kLeft);
    memory_console::PressSpecial(scan::kLeft);
    memory_console::PressSpecial(scan::kLeft);
    memory_console::PressSpecial(scan::kLeft);  // at the start already: stays
    memory_console::PressSpecial(scan::kEnd);
    memory_console::Type("e\r");
    EXPECT_EQ(Reply(), "XbYde");
    EXPECT_EQ(RowText(0), "XbYde");
}

TEST_F(LineEditorTest, HomeEchoesOneBackspacePerPosition) {
    Show("> ");
    memory_console::Type("abc");
    memory_console::PressSpecial(scan::kHome);
    memory_console::ReleaseKey();  // no key: the editor keeps waiting
    std::size_t got = 0;
    EXPECT_EQ(ConsoleRefill(StandardInput.buffer, kStreamBufferBytes, &got), 161);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(RowText(0), "> abc");
    ExpectCursor(2, 0);
}

TEST_F(LineEditorTest, OtherKeysAreIgnoredOrTakenAsCharacters) {
    memory_console::Type("a\x1a");  // Ctrl+Z is ignored
    memory_console::PressSpecial(scan::kF1);
    memory_console::PressSpecial(scan::kDelete);
    memory_console::PressModifier();
    memory_console::PressSpecial(scan::kKeypadSlash);  // the keypad's "/" is a "/"
    memory_console::Type("b");
    memory_console::PressSpecial(scan::kKeypadEnter);  // and its Enter is Enter
    EXPECT_EQ(Reply(), "a/b");
}

TEST_F(LineEditorTest, KeysThatEndWithoutEnterEndTheReadWithReadFault) {
    memory_console::Type("half");
    ShortText text = ReadText();
    EXPECT_EQ(text.length, 0);
    EXPECT_EQ(FetchIoResult(), 161);
}

TEST_F(LineEditorTest, PipedBytesAreTypedKeysWithLfAndCrLfAsEnter) {
    Start({.typedBytes = true});
    memory_console::Type("one\ntwo\r\n\nab\bc\r\n");
    EXPECT_EQ(Reply(), "one");
    EXPECT_EQ(Reply(), "two");
    EXPECT_EQ(Reply(), "");  // the LF after CR LF is a line of its own
    EXPECT_EQ(Reply(), "ac");
    EXPECT_EQ(PendingIoError(), 0);
    EXPECT_EQ(RowText(0), "one");  // echoed like typed keys
    EXPECT_EQ(RowText(3), "ac");
    // At the end of the bytes the wait for a key fails instead of spinning.
    ShortText text = ReadText();
    EXPECT_EQ(text.length, 0);
    EXPECT_EQ(FetchIoResult(), 161);
}

}  // namespace
