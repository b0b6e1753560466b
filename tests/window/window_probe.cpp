// A small program on the window console for the end-to-end tests (not one
// of the tools): each mode draws or reads what one test looks at.
//
//   window_probe draw      the drawing rules, then waits for Enter
//   window_probe scroll    30 lines into a 25-row window, then waits for Enter
//   window_probe reply N [noted]  asks N times for a line and shows each
//                          reply (noted: also "reply:[...]" on standard error)
//   window_probe keys N [noted]   takes N keys and shows their codes (noted:
//                          also "key:n" on standard error)
//   window_probe poll      writes whether a key is waiting at start to stderr
//   window_probe tone      sounds a short tone, then waits for Enter
//   window_probe return    waits for Enter, then returns from main
//   window_probe fault     draws, then gets the signal of a bad memory access
//   window_probe error     waits for Enter, then opens a file that is not
//                          there and ends through the run-time error report
#include <csignal>
#include <string>

#include "core.h"
#include "window.h"

namespace {

// Notes on standard error for the tests whose output is no terminal; on a
// terminal they would land in the middle of the drawing.
bool noted = false;

void Note(std::string_view text) {
    if (!noted) return;
    WriteText(StandardError, text);
    EndLine(StandardError);
    CheckIo();
}

ShortText AskLine(std::string_view prompt) {
    WriteText(prompt);
    EndWrite();
    CheckIo();
    ShortText reply = ReadText();
    CheckIo();
    SkipLine();
    CheckIo();
    return reply;
}

void Draw() {
    ClearWindow();
    WriteLine("abc\b\bX");            // BS twice, then X overwrites b
    WriteLine("\bstart");             // BS in the first column stays there
    WriteLine("one\ntwo");            // LF alone keeps the column
    WriteLine("bell\a!");             // BEL draws nothing
    WriteLine(std::string(80, '='));  // exactly one row: wraps once, then CR LF
    WriteLine("0123456789012345678901234567890123456789012345678901234567890123456789012345678901234");
    AskLine("done");
}

void Scroll() {
    ClearWindow();
    for (int n = 1; n <= 30; ++n) {
        WriteText("line ");
        WriteInteger(n);
        EndLine();
        CheckIo();
    }
    AskLine("end");
}

int Count(int argument) {
    ShortText text = ArgumentText(argument);
    int count = 0;
    for (char c : text.View()) count = count * 10 + (c - '0');
    return count;
}

void Replies(int count) {
    for (int n = 0; n < count; ++n) {
        ShortText reply = AskLine("Reply: ");
        WriteText("Got [");
        WriteText(reply.View());
        WriteText("]");
        EndLine();
        CheckIo();
        Note(JoinTexts({"reply:[", reply.View(), "]"}).View());
    }
}

void Keys(int count) {
    WriteText("Keys:");
    EndWrite();
    CheckIo();
    for (int n = 0; n < count; ++n) {
        int key = static_cast<unsigned char>(TakeKey());
        CheckIo();
        WriteChar(' ');
        WriteInteger(key);
        EndWrite();
        CheckIo();
        Note(JoinTexts({"key:", DecimalText(key).View()}).View());
    }
    EndLine();
    CheckIo();
    AskLine("end");
}

}  // namespace

int main(int argc, char** argv) {
    StartProgram(argc, argv);
    ShortText mode = ArgumentText(1);
    noted = TextEquals(ArgumentText(3), "noted") || TextEquals(mode, "poll");
    if (TextEquals(mode, "draw")) Draw();
    if (TextEquals(mode, "scroll")) Scroll();
    if (TextEquals(mode, "reply")) Replies(Count(2));
    if (TextEquals(mode, "keys")) Keys(Count(2));
    if (TextEquals(mode, "poll")) Note(KeyWaiting() ? "waiting:1" : "waiting:0");
    if (TextEquals(mode, "tone")) {
        StartTone(1500);
        Pause(19);
        StopTone();
        AskLine("toned");
    }
    if (TextEquals(mode, "return")) {
        AskLine("return");
        return 0;  // through exit(), not EndProgram
    }
    if (TextEquals(mode, "error")) {
        AskLine("error");
        BlockFile absent;
        BindFile(absent, CopyText("absent.dat"));
        OpenExisting(absent, 1);
        CheckIo();
    }
    if (TextEquals(mode, "fault")) {
        WriteLine("faulting");
        // The signal of a bad memory access, without one: the sanitizers
        // would stop a real one before the processor does.
        raise(SIGSEGV);
    }
    EndProgram(0);
}
