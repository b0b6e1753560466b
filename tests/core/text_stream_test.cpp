#include <gtest/gtest.h>

#include "core.h"
#include "platform/terminal_text.h"
#include "stdio_capture.h"

namespace {

void StartAsProgram() {
    static char program[] = "prog";
    static char* argv[] = {program, nullptr};
    StartProgram(1, argv);
}

}  // namespace

TEST(ReadText, StopsAtTheLineEndAndSkipLineTakesIt) {
    StandardInputFrom input("yes\r\nno\nmaybe\rlast");
    EXPECT_EQ(ReadText().View(), "yes");
    EXPECT_EQ(ReadText().View(), "");  // the line end stays unread
    SkipLine();
    EXPECT_EQ(ReadText().View(), "no");  // LF alone
    SkipLine();
    EXPECT_EQ(ReadText().View(), "maybe");  // CR alone
    SkipLine();
    EXPECT_EQ(ReadText().View(), "last");  // no line end at all
    SkipLine();                            // returns at the end of the input
    EXPECT_EQ(ReadText().View(), "");
    EXPECT_EQ(FetchIoResult(), 0);
}

TEST(ReadText, ALongLineGivesItsFirst255BytesAndSkipLineDropsTheRest) {
    std::string line(300, 'q');
    line[254] = 'E';
    line[255] = 'X';
    StandardInputFrom input(line + "\r\nnext\r\n");
    ShortText first = ReadText();
    EXPECT_EQ(first.length, 255);
    EXPECT_EQ(first.bytes[254], 'E');
    SkipLine();
    EXPECT_EQ(ReadText().View(), "next");
}

TEST(ReadText, EmptyLinesAndEndOfTextMarks) {
    StandardInputFrom input(
        "\r\n\r\nab\x1a"
        "cd\n");
    EXPECT_EQ(ReadText().View(), "");
    SkipLine();
    SkipLine();  // a plain wait for Enter
    EXPECT_EQ(ReadText().View(), "ab");
    SkipLine();  // stops in front of the SUB
    EXPECT_EQ(ReadText().View(), "");
}

TEST(WriteText, LinesEndInCrLfAndIntegersHaveNoPadding) {
    StandardOutputCapture capture;
    WriteText("size ");
    WriteInteger(-42);
    WriteChar(' ');
    WriteInteger(0);
    EndLine();
    WriteText("prompt? ");
    EndWrite();
    EXPECT_EQ(capture.Taken(), "size -42 0\r\nprompt? ");
    EXPECT_EQ(FetchIoResult(), 0);
}

TEST(WriteText, LongTextsPassThroughTheBufferWhole) {
    StandardOutputCapture capture;
    std::string text = std::string(1000, 'a') + std::string(300, 'b');
    WriteText(text);
    EndLine();
    EXPECT_EQ(capture.Taken(), text + "\r\n");
}

TEST(PendingIoError, OperationsDoNothingUntilTheErrorIsTaken) {
    StandardOutputCapture capture;
    StandardInputFrom input("typed\r\n");
    RaiseIoError(3);
    RaiseIoError(5);  // the first failure stays the one reported
    WriteText("lost");
    EndLine();
    EXPECT_EQ(ReadText().View(), "");
    EXPECT_EQ(PendingIoError(), 3);
    EXPECT_EQ(FetchIoResult(), 3);
    EXPECT_EQ(FetchIoResult(), 0);
    WriteText("kept");
    EndLine();
    EXPECT_EQ(ReadText().View(), "typed");
    EXPECT_EQ(capture.Taken(), "kept\r\n");
}

TEST(CheckIo, EndsThroughTheRunTimeErrorReport) {
    EXPECT_EXIT(
        {
            RaiseIoError(3);
            CheckIo();
        },
        testing::ExitedWithCode(3), "^Runtime error 3 at \\$[0-9A-F]{8}\r\n  \\$[0-9A-F]{8}\r\n\r\n$");
    EXPECT_EXIT(
        {
            RaiseIoError(101);
            CheckIo();
        },
        testing::ExitedWithCode(101), "^Runtime error 101 at");
}

TEST(EndProgram, EndsWithTheCodeAndHandsTheTextOn) {
    EXPECT_EXIT(
        {
            StartAsProgram();
            WriteText(StandardError, "bye");
            EndProgram(7);
        },
        testing::ExitedWithCode(7), "^bye$");
}

// What a terminal would act on shows as "?", one for each byte: C0 controls
// (but those a console passes) and DEL, C1 controls as lone bytes and in
// their UTF-8 form; every other byte, also of other UTF-8 characters and of
// names in an 8-bit code page, goes as it is.
TEST(TerminalText, BytesThatWouldSteerATerminalShowAsQuestionMarks) {
    const struct {
        std::string text, shown;
    } rows[] = {
        {"\x1b[31mred", "?[31mred"},
        {"a\rb\nc\x7f", "a\rb\nc?"},  // CR and LF pass here, DEL never
        {"\x9b"
         "31m",
         "?31m"},  // CSI as one 8-bit byte
        {"x\xc2\x9b"
         "2J",
         "x??2J"},  // ... and as UTF-8
        {"\xc2\x80\xc2\x9f\xc2\xa0", "????\xc2\xa0"},
        {"\xe2\x82\xac \xc3\xa9", "\xe2\x82\xac \xc3\xa9"},  // continuation bytes of valid characters pass
        {"caf\xe9 \x85", "caf\xe9 ?"},                       // Latin-1 passes, a lone C1 byte does not
        {"\xe0\x80\x9b", "\xe0??"},                          // an overlong form is no character
        {"end\xc2", "end\xc2"},
    };
    for (const auto& row : rows) {
        std::string shown(row.text.size(), '\0');
        platform::ShowOnTerminal(row.text.data(), row.text.size(), shown.data(),
                                 [](unsigned char byte) { return byte == '\r' || byte == '\n'; });
        EXPECT_EQ(shown, row.shown) << row.text;
    }
}
