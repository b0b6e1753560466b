// The Windows console backend on a real console (Wine's, in a terminal):
// cells, colours, cursor and code page as the drawing leaves them, key
// events as the console reports them turned into the window console's keys,
// the line editor, and the beep device's name released at the end.
//
// Run by in_wine_terminal.sh with standard output in a file: the console
// is reached through CONOUT$ and CONIN$, which stand in for the standard
// handles during each test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core.h"
#include "core/console_flavour.h"
#include "window.h"

namespace {

class ConsoleBackend : public testing::Test {
protected:
    void SetUp() override {
        screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        keyboard = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (screen == INVALID_HANDLE_VALUE || keyboard == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no console";
        savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        savedInput = GetStdHandle(STD_INPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, screen);
        SetStdHandle(STD_INPUT_HANDLE, keyboard);
        FlushConsoleInputBuffer(keyboard);
        CONSOLE_SCREEN_BUFFER_INFO info;
        ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
        window = info.srWindow;
        colour = info.wAttributes;
        FetchIoResult();
        OpenStandardStreams();
        ConsoleStart();
    }
    void TearDown() override {
        if (screen == INVALID_HANDLE_VALUE || keyboard == INVALID_HANDLE_VALUE) return;
        ConsoleEnd();
        FetchIoResult();
        SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
        SetStdHandle(STD_INPUT_HANDLE, savedInput);
        CloseHandle(screen);
        CloseHandle(keyboard);
    }

    void Line(const std::string& text) {
        WriteText(text);
        EndLine();
    }

    // A row of the window as it stands, without its trailing blanks.
    std::string Row(int row) {
        std::string cells(static_cast<std::size_t>(window.Right - window.Left + 1), ' ');
        DWORD read = 0;
        COORD at{window.Left, static_cast<SHORT>(window.Top + row)};
        ReadConsoleOutputCharacterA(screen, cells.data(), static_cast<DWORD>(cells.size()), at, &read);
        cells.resize(read);
        cells.erase(cells.find_last_not_of(' ') + 1);
        return cells;
    }

    COORD Cursor() {
        CONSOLE_SCREEN_BUFFER_INFO info;
        GetConsoleScreenBufferInfo(screen, &info);
        return COORD{static_cast<SHORT>(info.dwCursorPosition.X - window.Left),
                     static_cast<SHORT>(info.dwCursorPosition.Y - window.Top)};
    }

    // A row's first cells as the console holds them, in Unicode.
    std::wstring Cells(int row, int count) {
        std::wstring cells(static_cast<std::size_t>(count), L' ');
        DWORD read = 0;
        COORD at{window.Left, static_cast<SHORT>(window.Top + row)};
        ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(count), at, &read);
        cells.resize(read);
        return cells;
    }

    int Rows() const { return window.Bottom - window.Top + 1; }

    // One key event as a keyboard would report it.
    void Key(bool down, WORD virtualKey, WORD scanCode, wchar_t character, DWORD state = 0) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = down;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
        record.Event.KeyEvent.wVirtualScanCode = scanCode;
        record.Event.KeyEvent.uChar.UnicodeChar = character;
        record.Event.KeyEvent.dwControlKeyState = state;
        DWORD written = 0;
        WriteConsoleInputW(keyboard, &record, 1, &written);
    }
    void Press(WORD virtualKey, WORD scanCode, wchar_t character, DWORD state = 0) {
        Key(true, virtualKey, scanCode, character, state);
        Key(false, virtualKey, scanCode, character, state);
    }
    void Type(const std::string& text) {
        for (char c : text) Press(static_cast<WORD>(VkKeyScanA(c) & 0xFF), 0, static_cast<wchar_t>(c));
    }

    // The next key, or -1 when none is waiting (TakeKey would wait for ever).
    static int Take() { return KeyWaiting() ? static_cast<unsigned char>(TakeKey()) : -1; }

    HANDLE screen = INVALID_HANDLE_VALUE;
    HANDLE keyboard = INVALID_HANDLE_VALUE;
    HANDLE savedOutput = nullptr;
    HANDLE savedInput = nullptr;
    SMALL_RECT window{};
    WORD colour = 0;
};

TEST_F(ConsoleBackend, DrawsCellsInTheTextColourAndLeavesTheCursorAfterThem) {
    ClearWindow();
    Line("abc\b\bX");
    Line("one\ntwo");
    WriteText("bell\a!");
    EndWrite();
    EXPECT_EQ(Row(0), "aXc");
    EXPECT_EQ(Row(1), "one");
    EXPECT_EQ(Row(2), "   two");
    EXPECT_EQ(Row(3), "bell!");
    EXPECT_EQ(Cursor().X, 5);
    EXPECT_EQ(Cursor().Y, 3);
    WORD attributes[3] = {};
    DWORD read = 0;
    ReadConsoleOutputAttribute(screen, attributes, 3, COORD{window.Left, window.Top}, &read);
    for (WORD attribute : attributes) EXPECT_EQ(attribute, colour);
    EXPECT_EQ(PendingIoError(), 0);
}

TEST_F(ConsoleBackend, WritingBelowTheLastRowScrollsTheWindow) {
    ClearWindow();
    for (int n = 0; n <= Rows(); ++n) Line("line " + std::to_string(n));
    EXPECT_EQ(Row(0), "line 2");  // two rows scrolled out: the last line's own and its line end's
    EXPECT_EQ(Row(Rows() - 2), "line " + std::to_string(Rows()));
    EXPECT_EQ(Row(Rows() - 1), "");
    EXPECT_EQ(Cursor().Y, Rows() - 1);
}

// Drawn by the window console, or written as a stream console's text (the
// splitter's lines on a console).
TEST_F(ConsoleBackend, BytesAreCharactersOfTheAnsiCodePageWhateverTheConsoleUses) {
    const std::string text = "caf\xe9";  // e acute in the ANSI code page, a Greek letter in 437
    wchar_t expected[4] = {};
    MultiByteToWideChar(CP_ACP, 0, text.data(), 4, expected, 4);
    for (bool drawn : {true, false}) {
        SCOPED_TRACE(drawn ? "drawn" : "streamed");
        ASSERT_TRUE(SetConsoleOutputCP(437));
        ClearWindow();
        if (drawn) {
            WriteText(text);
            EndWrite();
        } else {
            std::size_t done = 0;
            EXPECT_EQ(platform::WriteTerminalText(platform::StandardHandle(platform::StandardStream::Output),
                                                  text.data(), text.size(), &done),
                      0);
            EXPECT_EQ(done, text.size());
        }
        EXPECT_EQ(Cells(0, 4), std::wstring(expected, 4));
        EXPECT_EQ(GetConsoleOutputCP(), 437u);  // the console's own code page stays, or is given back
    }
}

// The console keeps one cursor for every program that writes into it.
TEST_F(ConsoleBackend, DrawingGoesOnWhereAnotherWriterLeftTheCursor) {
    ClearWindow();
    WriteText("Reply: ");
    EndWrite();
    const char other[] = "\r\nfrom another program\r\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleA(screen, other, sizeof other - 1, &written, nullptr));
    WriteText("x");
    EndWrite();
    EXPECT_EQ(Row(0), "Reply:");
    EXPECT_EQ(Row(1), "from another program");
    EXPECT_EQ(Row(2), "x");
    EXPECT_EQ(Cursor().X, 1);
    EXPECT_EQ(Cursor().Y, 2);
}

// A typed key is echoed, and read, as the byte that shows as that character
// when a tool writes it, whatever the console's input code page.
TEST_F(ConsoleBackend, ATypedCharacterIsTheByteThatShowsAsIt) {
    const char byte = '\xe9';  // e acute in the ANSI code page, another letter in 437
    wchar_t typed = 0;
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &typed, 1), 1);
    UINT inputCodePage = GetConsoleCP();
    ASSERT_TRUE(SetConsoleCP(437));
    ClearWindow();
    Press(0, 0, typed);
    Press(VK_RETURN, 28, '\r');
    EXPECT_EQ(ReadText().View(), std::string(1, byte));
    SkipLine();
    SetConsoleCP(inputCodePage);
    EXPECT_EQ(Cells(0, 1), std::wstring(1, typed));
}

TEST_F(ConsoleBackend, KeyEventsBecomeCharactersAndSpecialKeys) {
    EXPECT_FALSE(KeyWaiting());
    Key(true, VK_SHIFT, 42, 0, SHIFT_PRESSED);  // Shift alone is no key press
    EXPECT_FALSE(KeyWaiting());
    Press('A', 30, 'a');
    Press(VK_F1, 59, 0);
    Press(VK_F1, 59, 0, SHIFT_PRESSED);
    Press(VK_LEFT, 75, 0, ENHANCED_KEY | LEFT_CTRL_PRESSED);
    Press(VK_RETURN, 28, '\r', ENHANCED_KEY);  // the keypad's Enter
    Press('X', 45, 'x', LEFT_ALT_PRESSED);
    Press(VK_TAB, 15, '\t', SHIFT_PRESSED);
    Press('Q', 16, '@', RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED);  // AltGr, as European layouts send it: a character
    EXPECT_TRUE(KeyWaiting());
    int expected[] = {'a', 0, 59, 0, 84, 0, 115, 0, 28, 0, 45, 0, 15, '@'};
    for (int code : expected) EXPECT_EQ(Take(), code);
    EXPECT_FALSE(KeyWaiting());
}

TEST_F(ConsoleBackend, AltWithKeypadDigitsGivesTheCharacterWhenAltIsLetGo) {
    Key(true, VK_MENU, 56, 0, LEFT_ALT_PRESSED);
    Press(VK_NUMPAD6, 77, 0, LEFT_ALT_PRESSED | NUMLOCK_ON);
    Press(VK_RIGHT, 77, 0, LEFT_ALT_PRESSED);  // 5 with Num Lock off: a digit still
    Press(VK_CLEAR, 76, 0, LEFT_ALT_PRESSED);
    EXPECT_FALSE(KeyWaiting());
    Key(false, VK_MENU, 56, 0, 0);
    EXPECT_TRUE(KeyWaiting());
    EXPECT_EQ(Take(), 665 % 256);
}

TEST_F(ConsoleBackend, TheLineEditorEchoesAndEditsTypedKeys) {
    ClearWindow();
    WriteText("Reply: ");
    EndWrite();
    Type("helo");
    Press(VK_BACK, 14, '\b');
    Type("lo!");
    Press(VK_LEFT, 75, 0, ENHANCED_KEY);
    Press(VK_BACK, 14, '\b');  // not at the end: nothing
    Press(VK_RETURN, 28, '\r');
    EXPECT_EQ(ReadText().View(), "hello!");
    SkipLine();
    EXPECT_EQ(Row(0), "Reply: hello!");
    EXPECT_EQ(Cursor().Y, 1);
    EXPECT_EQ(Cursor().X, 0);
}

// Survives the Ctrl+C that the probe sends to everyone on the console.
BOOL WINAPI Survive(DWORD) { return TRUE; }

// Ctrl+C in the middle of a drawing and of an in-place output: the process
// ends as the system ends it, the console shows its own code page again and
// no temporary file is left beside the image. (Ctrl+Break cannot be sent to
// a program under Wine.)
TEST_F(ConsoleBackend, CtrlCGivesBackTheCodePageAndRemovesTheTemporaryFile) {
    ASSERT_TRUE(SetConsoleOutputCP(437));
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string image = std::string(folder) + "suite-event-" + std::to_string(GetCurrentProcessId()) + ".bmp";
    HANDLE file = CreateFileA(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "image", 5, &written, nullptr);
    CloseHandle(file);

    SetConsoleCtrlHandler(Survive, TRUE);
    std::string commandLine = std::string(CONSOLE_EVENT_PROBE) + " " + image;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetConsoleCtrlHandler(Survive, FALSE);

    EXPECT_EQ(GetConsoleOutputCP(), 437u);
    std::string temporary = std::string(folder) + "~suite-output-" + std::to_string(process.dwProcessId) + ".tmp";
    EXPECT_EQ(GetFileAttributesA(temporary.c_str()), INVALID_FILE_ATTRIBUTES) << temporary;
    DeleteFileA(temporary.c_str());
    EXPECT_TRUE(DeleteFileA(image.c_str()));
}

TEST_F(ConsoleBackend, TheToneLeavesNoDeviceNameBehind) {
    StartTone(440);
    StopTone();
    ConsoleEnd();
    char target[256];
    EXPECT_EQ(QueryDosDeviceA("DosBeep", target, sizeof target), 0u);
}

}  // namespace
