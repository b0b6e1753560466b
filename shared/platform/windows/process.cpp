// The process on Windows: the command line as the system hands it over, the
// program file's path, end, code offsets, processor faults, time.
#include <windows.h>

#include <cstring>

#include "../platform.h"
#include "../system_calls/windows/system_calls.h"

namespace platform {
namespace {

const char* commandLine = nullptr;
std::size_t commandLineLength = 0;

// Room for the program path; longer paths are cut.
constexpr DWORD kProgramPathBytes = 4096;
char programPath[kProgramPathBytes];
std::size_t programPathLength = 0;

FaultReporter faultReporter = nullptr;
EndingCleanup endingCleanup = nullptr;
volatile LONG endingInHandler = 0;
// The program's own thread, held still while a console event ends the run.
HANDLE mainThread = nullptr;
// Held by the program's thread from HoldEndings to ReleaseEndings; the
// console event handler takes it before it holds that thread still. Made
// before main, so that it is there whoever holds it first.
struct EndingGate {
    CRITICAL_SECTION section;
    EndingGate() { InitializeCriticalSection(&section); }
} endingGate;

// Stack kept back for the fault filter, so that a stack overflow can still
// be reported. Far more than the report needs.
constexpr ULONG kFaultStackBytes = 64 * 1024;

// The run-time error numbers of processor faults; 0 for an exception that
// is no processor fault of ours (the system handles it as it would).
std::uint16_t FaultNumber(DWORD code) {
    switch (code) {
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO: return errors::kDivisionByZero;
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return errors::kRangeCheck;
        case EXCEPTION_STACK_OVERFLOW: return errors::kStackOverflow;
        case EXCEPTION_INT_OVERFLOW: return errors::kArithmeticOverflow;
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_GUARD_PAGE:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION: return errors::kAccessViolation;
        default: return 0;
    }
}

// The program's own code, as its PE header places it.
bool InProgramCode(std::uintptr_t address) {
    auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    if (base == 0) return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + static_cast<std::uintptr_t>(dos->e_lfanew));
    std::uintptr_t start = base + nt->OptionalHeader.BaseOfCode;
    return address >= start && address - start < nt->OptionalHeader.SizeOfCode;
}

std::uintptr_t StackPointer(const CONTEXT* context) {
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(context->Rsp);
#else
    return static_cast<std::uintptr_t>(context->Esp);
#endif
}

// The words of the stack looked at for a return address: a few frames.
constexpr std::uintptr_t kStackWordsSearched = 1024;

// Where the program was when the fault came: the faulting instruction if it
// is the program's own; else (a call through a null pointer, a fault inside
// a system library) the nearest return address into the program's code that
// the stack holds, so that the report names a place in the program.
std::uint32_t FaultLocation(const EXCEPTION_POINTERS* fault) {
    auto place = reinterpret_cast<std::uintptr_t>(fault->ExceptionRecord->ExceptionAddress);
    if (InProgramCode(place)) return CodeOffset(fault->ExceptionRecord->ExceptionAddress);
    // Only the stack's readable pages from the stack pointer on are read.
    std::uintptr_t word = StackPointer(fault->ContextRecord) & ~(sizeof(std::uintptr_t) - 1);
    MEMORY_BASIC_INFORMATION pages{};
    if (VirtualQuery(reinterpret_cast<const void*>(word), &pages, sizeof pages) == 0 || pages.State != MEM_COMMIT ||
        (pages.Protect & (PAGE_READWRITE | PAGE_READONLY)) == 0 || (pages.Protect & PAGE_GUARD) != 0) {
        return CodeOffset(fault->ExceptionRecord->ExceptionAddress);
    }
    std::uintptr_t top = reinterpret_cast<std::uintptr_t>(pages.BaseAddress) + pages.RegionSize;
    for (std::uintptr_t seen = 0; seen < kStackWordsSearched && word < top; ++seen, word += sizeof(std::uintptr_t)) {
        std::uintptr_t value = *reinterpret_cast<const std::uintptr_t*>(word);
        if (InProgramCode(value)) return CodeOffset(reinterpret_cast<const void*>(value));
    }
    return CodeOffset(fault->ExceptionRecord->ExceptionAddress);
}

// SetThreadStackGuarantee came with Windows Vista: looked up when the
// program starts, so that the programs start on Windows XP as well, where a
// stack overflow ends the process without the report.
void KeepStackForFaultReport() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    using StackGuarantee = BOOL(WINAPI*)(PULONG);
    auto found = reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetThreadStackGuarantee"));
    if (found == nullptr) return;
    ULONG guarantee = kFaultStackBytes;
    reinterpret_cast<StackGuarantee>(found)(&guarantee);
}

// Ctrl+C, Ctrl+Break, the console window closed, the user logging off: the
// system calls this on a thread of its own. The program's thread is held
// where it is (so that it switches no code page back and writes no more into
// a temporary file), what the layer holds is given back once, and FALSE lets
// the system end the process as it would without this handler. Ctrl+C that
// the console hands over as a key never comes here.
BOOL WINAPI OnConsoleEvent(DWORD) {
    if (InterlockedExchange(&endingInHandler, 1) == 0) {
        EnterCriticalSection(&endingGate.section);
        if (mainThread != nullptr) SuspendThread(mainThread);
        if (endingCleanup != nullptr) endingCleanup();
    }
    return FALSE;
}

LONG WINAPI OnFault(EXCEPTION_POINTERS* fault) {
    std::uint16_t number = FaultNumber(fault->ExceptionRecord->ExceptionCode);
    if (number == 0) return EXCEPTION_CONTINUE_SEARCH;
    endingInHandler = 1;
    if (faultReporter != nullptr) faultReporter(number, FaultLocation(fault));
    ::ExitProcess(number);
}

// The command line in the ANSI code page, at most two bytes a character of
// the longest line the system takes (32767 UTF-16 units), with its zero.
constexpr int kCommandLineBytes = 2 * 32768;
char ansiCommandLine[kCommandLineBytes];

// The system's own ANSI command line replaces a character that the code page
// lacks by a look-alike ("Ωmega.bmp" becomes "Omega.bmp", another file's
// name). Converted here from the wide line without look-alikes, such a
// character becomes "?", which no file name may hold: a name typed with it
// reaches no file (123), and nothing is created, emptied or read by it.
const char* AnsiCommandLine() {
    const wchar_t* wide = GetCommandLineW();
    if (wide != nullptr && WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansiCommandLine,
                                               kCommandLineBytes, nullptr, nullptr) != 0) {
        return ansiCommandLine;
    }
    // A code page that takes no such flag (UTF-8) holds every character.
    const char* line = GetCommandLineA();
    return line != nullptr ? line : "";
}

}  // namespace

// The arguments come from the command line as the system holds it; the
// runtime's own splitting of it (argv) follows other rules.
void StartProcess(int, char**) {
    // A drive without a diskette is an error number for the tool, not a
    // message box that waits for someone to click it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    KeepStackForFaultReport();
    SetUnhandledExceptionFilter(OnFault);

    HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, GetCurrentThread(), process, &mainThread, THREAD_SUSPEND_RESUME, FALSE, 0)) {
        mainThread = nullptr;
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
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
        commandLine = AnsiCommandLine();
        commandLineLength = std::strlen(commandLine);
    }
    *bytes = commandLine;
    *length = commandLineLength;
    return true;
}

void ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

// The report shows 8 hex digits: offsets from the program's image, which is
// smaller than 4 GiB, the same wherever the system loads it.
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

// Taken again by the thread that holds it (the handler's clean-up), it is
// only counted.
void HoldEndings() { EnterCriticalSection(&endingGate.section); }
void ReleaseEndings() { LeaveCriticalSection(&endingGate.section); }

std::uint32_t MillisecondTicks() { return GetTickCount(); }

void SleepMilliseconds(std::uint32_t ms) { Sleep(ms); }

}  // namespace platform
