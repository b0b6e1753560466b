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

// Each line ends with Enter, which echoes CR LF.
TEST_F(LineEditorTest, KeysEditTheLineAndItsEcho) {
    struct Case {
        const char* what;
        const char* prompt;
        std::vector<memory_console::Keystroke> keys;
        const char* reply;
        const char* shown;
    } cases[] = {
        {"typed line", "Name: ", {"hello\r"}, "hello", "Name: hello"},
        // Backspace away from the end does nothing; at the end it erases, and
        // so does Ctrl+S; the erased bytes are blanked on the screen.
        {"backspace", "", {"abc", scan::kLeft, "\b", scan::kRight, "\b\x13\r"}, "a", "a"},
        {"backspace on an empty line", "> ", {"\b\bx\r"}, "x", "> x"},
        // Esc from the start moves to the end, then erases; so does Ctrl+Y.
        {"Esc and Ctrl+Y", "? ", {"first", scan::kHome, "\x1b", "second\x19ok\r"}, "ok", "? ok"},
        // Typing overwrites; Left at the start stays there.
        {"cursor keys",
         "",
         {"abcd", scan::kHome, "X", scan::kRight, "Y", scan::kLeft, scan::kLeft, scan::kLeft, scan::kLeft, scan::kEnd,
          "e\r"},
         "XbYde",
         "XbYde"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        Start();
        Show(each.prompt);
        memory_console::Play(each.keys);
        EXPECT_EQ(Reply(), each.reply);
        EXPECT_EQ(PendingIoError(), 0);
        EXPECT_EQ(RowText(0), each.shown);
        ExpectCursor(0, 1);
    }
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

TEST_F(LineEditorTest, HomeEchoesOneBackspacePerPosition) {
    Show("> ");
    memory_console::Play({"abc", scan::kHome});
    memory_console::ReleaseKey();  // no key: the editor keeps waiting
    std::size_t got = 0;
    EXPECT_EQ(ConsoleRefill(StandardInput.buffer, kStreamBufferBytes, &got), 161);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(RowText(0), "> abc");
    ExpectCursor(2, 0);
}

TEST_F(LineEditorTest, OtherKeysAreIgnoredOrTakenAsCharacters) {
    memory_console::Play({"a\x1a", scan::kF1, scan::kDelete});  // Ctrl+Z, F1 and Delete are ignored
    memory_console::PressModifier();
    // The keypad's "/" is a "/", and its Enter is Enter.
    memory_console::Play({scan::kKeypadSlash, "b", scan::kKeypadEnter});
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
