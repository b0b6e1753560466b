#include <gtest/gtest.h>

#include "core.h"
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
    SkipLine();                             // returns at the end of the input
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
    StandardInputFrom input("\r\n\r\nab\x1a" "cd\n");
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
