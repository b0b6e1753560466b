// The process on Windows: the command line as the system hands it over, the
// program file's path, end, code offsets, processor faults, time.
#include <windows.h>

#include <cstring>

#include "../platform.h"
#include "system_calls.h"

namespace platform {
namespace {

const char* commandLine = nullptr;
std::size_t commandLineLength = 0;

// Room for the program path; longer paths are cut.
constexpr DWORD kProgramPathBytes = 4096;
char programPath[kProgramPathBytes];
std::size_t programPathLength = 0;

FaultReporter faultReporter = nullptr;
// Kept for the layer; no handler here ends the process by a signal (Ctrl+C
// is the console's own business), so nothing calls it yet.
EndingCleanup endingCleanup = nullptr;
volatile LONG endingInHandler = 0;

// Stack kept back for the fault filter, so that a stack overflow can still
// be reported. Far more than the report needs.
constexpr ULONG kFaultStackBytes = 64 * 1024;

// The run-time error numbers of processor faults; 0 for an exception that
// is no processor fault of ours (the system handles it as it would).
std::uint16_t FaultNumber(DWORD code) {
    switch (code) {
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO: return 200;
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return 201;
        case EXCEPTION_STACK_OVERFLOW: return 202;
        case EXCEPTION_INT_OVERFLOW: return 215;
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_GUARD_PAGE:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION: return 216;
        default: return 0;
    }
}

LONG WINAPI OnFault(EXCEPTION_POINTERS* fault) {
    std::uint16_t number = FaultNumber(fault->ExceptionRecord->ExceptionCode);
    if (number == 0) return EXCEPTION_CONTINUE_SEARCH;
    endingInHandler = 1;
    if (faultReporter != nullptr) faultReporter(number, CodeOffset(fault->ExceptionRecord->ExceptionAddress));
    ::ExitProcess(number);
}

}  // namespace

// The arguments come from the command line as the system holds it; the
// runtime's own splitting of it (argv) follows other rules.
void StartProcess(int, char**) {
    // A drive without a diskette is an error number for the tool, not a
    // message box that waits for someone to click it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    ULONG guarantee = kFaultStackBytes;
    SetThreadStackGuarantee(&guarantee);
    SetUnhandledExceptionFilter(OnFault);
}

bool Argument(int n, const char** bytes, std::size_t* length) {
    if (n != 0) return false;  // the others come from CommandLine
    if (programPathLength == 0) {
        DWORD got = windows::CallGetModuleFileName(programPath, kProgramPathBytes);
        programPathLength = got < kProgramPathBytes ? got : kProgramPathBytes;
    }
    *bytes = programPath;
    *length = programPathLength;
    return true;
}

bool CommandLine(const char** bytes, std::size_t* length) {
    if (commandLine == nullptr) {
        commandLine = GetCommandLineA();
        if (commandLine == nullptr) commandLine = "";
        commandLineLength = std::strlen(commandLine);
    }
    *bytes = commandLine;
    *length = commandLineLength;
    return true;
}

void ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

// The report shows 8 hex digits: a 32-bit program's addresses whole, and a
// 64-bit program's offsets from its image, which is smaller than 4 GiB.
static_assert(sizeof(std::uintptr_t) == 4 || sizeof(std::uintptr_t) == 8);
std::uint32_t CodeOffset(const void* address) {
    auto place = reinterpret_cast<std::uintptr_t>(address);
    auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    if (base != 0 && place >= base) place -= base;
    return static_cast<std::uint32_t>(place);
}

void SetFaultReporter(FaultReporter reporter) { faultReporter = reporter; }

void SetEndingCleanup(EndingCleanup cleanup) { endingCleanup = cleanup; }

bool EndingInHandler() { return endingInHandler != 0; }

std::uint32_t MillisecondTicks() { return GetTickCount(); }

void SleepMilliseconds(std::uint32_t ms) { Sleep(ms); }

}  // namespace platform
