// The drawing of standard output: control bytes, runs, wrapping, scrolling,
// ClearWindow, and a screen that is not there.
#include "window_test_support.h"

namespace {

using DrawingTest = WindowTest;

TEST_F(DrawingTest, ControlBytesMoveTheCursor) {
    Show("abc\b\bX\r\n");  // BS twice, then X overwrites b
    Show("\bstart\r\n");   // BS in the first column stays there
    Show("one\ntwo\r\n");  // LF alone keeps the column
    Show("be\al\r\n");     // BEL draws nothing and does not move
    Show("abc\rX");        // CR goes back to the first column
    EXPECT_EQ(RowText(0), "aXc");
    EXPECT_EQ(RowText(1), "start");
    EXPECT_EQ(RowText(2), "one");
    EXPECT_EQ(RowText(3), "   two");
    EXPECT_EQ(RowText(4), "bel");
    EXPECT_EQ(RowText(5), "Xbc");
    ExpectCursor(1, 5);
}

TEST_F(DrawingTest, TextStartsAtTheCursorTheConsoleHadAndOtherBytesAreCells) {
    Start({.columns = 20, .rows = 5, .cursorColumn = 7, .cursorRow = 3});
    Show("\x01\x1b\xc3\xa9!");  // control and high bytes are drawn, one cell each
    EXPECT_EQ(memory_console::Row(3).substr(7, 5), "\x01\x1b\xc3\xa9!");
    ExpectCursor(12, 3);
}

TEST_F(DrawingTest, ARowOfExactlyTheWidthWrapsOnce) {
    Start({.columns = 10, .rows = 6});
    Show("0123456789");
    ExpectCursor(0, 1);
    Show("\r\nnext\r\n0123456789abc");
    EXPECT_EQ(RowText(0), "0123456789");
    EXPECT_EQ(RowText(1), "");  // the wrap, then CR LF: one empty row
    EXPECT_EQ(RowText(2), "next");
    EXPECT_EQ(RowText(3), "0123456789");
    EXPECT_EQ(RowText(4), "abc");
    ExpectCursor(3, 4);
}

TEST_F(DrawingTest, WritingBelowTheLastRowScrollsOneRowAtATime) {
    Start({.columns = 10, .rows = 3});
    Show("1\r\n2\r\n3\r\n4");
    EXPECT_EQ(RowText(0), "2");
    EXPECT_EQ(RowText(1), "3");
    EXPECT_EQ(RowText(2), "4");
    EXPECT_EQ(memory_console::ScrollCount(), 1);
    Show("\r\nABCDEFGHIJ");  // fills the last row: wraps, so scrolls again
    EXPECT_EQ(RowText(0), "4");
    EXPECT_EQ(RowText(1), "ABCDEFGHIJ");
    EXPECT_EQ(RowText(2), "");
    EXPECT_EQ(memory_console::ScrollCount(), 3);
    ExpectCursor(0, 2);
    Show("\n\n\n");  // LF alone in the last row scrolls too
    EXPECT_EQ(memory_console::ScrollCount(), 6);
    EXPECT_EQ(RowText(0), "");
}

TEST_F(DrawingTest, ClearWindowBlanksEverythingAndTheNextLineStartsTopLeft) {
    Show("some\r\ntext\r\nhere");
    ClearWindow();
    for (int row = 0; row < 25; ++row) EXPECT_EQ(RowText(row), "") << "row " << row;
    ExpectCursor(0, 0);
    WriteText("first");
    EndLine();
    EXPECT_EQ(PendingIoError(), 0);
    EXPECT_EQ(RowText(0), "first");
    ExpectCursor(0, 1);
}

TEST_F(DrawingTest, WriteStatementsAreDrawnAtTheEndOfEachStatement) {
    WriteText("Working");
    EndWrite();
    EXPECT_EQ(RowText(0), "Working");
    WriteChar('*');
    EXPECT_EQ(RowText(0), "Working");  // not handed on yet
    EndWrite();
    EXPECT_EQ(RowText(0), "Working*");
    WriteInteger(-1433600);
    EndLine();
    EXPECT_EQ(RowText(0), "Working*-1433600");
    ExpectCursor(0, 1);
}

TEST_F(DrawingTest, WithoutAScreenTextGoesNowhereAndNothingFails) {
    Start({.screenAttached = false});
    WriteText("lost");
    EndLine();
    ClearWindow();
    EXPECT_EQ(PendingIoError(), 0);
    EXPECT_EQ(RowText(0), "");
}

}  // namespace
