// The pending I/O error, the run-time error report and the program's start
// and end.
#include "../core.h"
#include "console_flavour.h"

namespace {

std::uint16_t pendingError = 0;

// "Runtime error 65535 at $FFFFFFFF" CR LF, "  $FFFFFFFF" CR LF, CR LF fits easily.
constexpr std::size_t kReportBytes = 80;

void PutHex8(char* at, std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        at[i] = kDigits[value & 0xFu];
        value >>= 4;
    }
}

// Written with nothing but a plain system write and no library formatting:
// the same code serves processor faults, inside a signal handler.
void WriteReport(std::uint16_t number, std::uint32_t location) {
    char report[kReportBytes];
    std::size_t length = 0;
    auto put = [&](const char* text) {
        while (*text != '\0') report[length++] = *text++;
    };
    put("Runtime error ");
    char digits[5];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number = static_cast<std::uint16_t>(number / 10);
    } while (number != 0);
    while (count > 0) report[length++] = digits[--count];
    put(" at $");
    PutHex8(report + length, location);
    length += 8;
    put("\r\n  $");
    PutHex8(report + length, location);
    length += 8;
    put("\r\n\r\n");
    std::size_t done = 0;
    platform::WriteAll(platform::StandardHandle(platform::StandardStream::Error), report, length, &done);
}

void FlushBoth() {
    EndWrite(StandardOutput);
    EndWrite(StandardError);
}

// What the tool holds is given back on every end but the normal one: the
// console's modes and an unfinished temporary output. Runs in signal
// handlers too, so it only uses async-signal-safe means.
void GiveBack() {
    ConsoleEnd();
    DiscardTemporaryOutput();
}

[[noreturn]] void EndThroughReport(std::uint16_t number, std::uint32_t location) {
    GiveBack();
    pendingError = 0;  // so that handing on the streams below still works
    WriteReport(number, location);
    FlushBoth();
    platform::ExitProcess(number);
}

void ReportFault(std::uint16_t number, std::uint32_t location) {
    GiveBack();
    WriteReport(number, location);
}

}  // namespace

std::uint16_t PendingIoError() { return pendingError; }

void RaiseIoError(std::uint16_t number) {
    if (pendingError == 0) pendingError = number;
}

std::uint16_t FetchIoResult() {
    std::uint16_t number = pendingError;
    pendingError = 0;
    return number;
}

// Not inlined, so that the return address names the tool's own check.
PLATFORM_NEVER_INLINE void CheckIo() {
    if (pendingError == 0) return;
    std::uint16_t number = pendingError;
    EndThroughReport(number, platform::CodeOffset(PLATFORM_RETURN_ADDRESS()));
}

void StartProgram(int argc, char** argv) {
    platform::StartProcess(argc, argv);
    TakeArguments();
    platform::SetFaultReporter(ReportFault);
    platform::SetEndingCleanup(GiveBack);
    pendingError = 0;
    OpenStandardStreams();
    ConsoleStart();
}

void EndProgram(int code) {
    ConsoleEnd();
    FlushBoth();
    platform::ExitProcess(code);
}
