// The process on POSIX: arguments, end, code offsets, processor faults,
// ending signals, time.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "../platform.h"
#include "../system_calls/posix/system_calls.h"

// The linker places this symbol at the start of the executable's image.
extern "C" const char __ehdr_start[] __attribute__((weak));

namespace platform {
namespace {

int argumentCount = 0;
char** argumentBytes = nullptr;

// Room for the program path that /proc/self/exe names.
constexpr std::size_t kProgramPathBytes = 4096;
char programPath[kProgramPathBytes];
std::size_t programPathLength = 0;

FaultReporter faultReporter = nullptr;
EndingCleanup endingCleanup = nullptr;
volatile sig_atomic_t endingInHandler = 0;

// The catchable signals whose default action ends the process. SIGSEGV,
// SIGBUS and SIGFPE end through the fault handler instead; SIGPIPE and
// SIGXFSZ are ignored, so that they become errors of the write.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT, SIGUSR1,
                                  SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS};

// The exit code of a process that finds a standard descriptor closed and
// cannot hold its place: the general fault, since no report can be trusted
// to reach anyone.
constexpr int kNoNullDevice = errors::kGeneralFailure;

// The fault and ending handlers run on a stack of their own, so that a stack
// overflow can still be reported. 64 KiB is far more than the report needs.
constexpr std::size_t kFaultStackBytes = 64 * 1024;
alignas(16) char faultStack[kFaultStackBytes];

// The main stack's bounds, to tell a stack overflow from other bad accesses.
std::uintptr_t stackTop = 0;
std::uintptr_t stackReach = 0;

// A stack limit we treat as "unlimited": no real stack is larger.
constexpr std::uintptr_t kLargestStack = std::uintptr_t{1} << 30;
// Faults this far below the stack limit still count as an overflow (the guard gap).
constexpr std::uintptr_t kGuardBytes = std::uintptr_t{1} << 20;

// While a handler ends the process, no other ending signal and no stop may
// come between: the end runs once and whole.
void BlockWhileEnding(sigset_t* mask) {
    sigemptyset(mask);
    for (int number : kEndingSignals) sigaddset(mask, number);
    sigaddset(mask, SIGTSTP);
}

std::uint32_t FaultLocation(void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return CodeOffset(reinterpret_cast<const void*>(uc->uc_mcontext.gregs[REG_RIP]));
#elif defined(__aarch64__)
    return CodeOffset(reinterpret_cast<const void*>(uc->uc_mcontext.pc));
#else
    (void)uc;
    return 0;
#endif
}

void OnFault(int signal, siginfo_t* info, void* context) {
    std::uint16_t number = errors::kAccessViolation;
    if (signal == SIGFPE) number = errors::kDivisionByZero;
    if (signal == SIGSEGV && stackTop != 0) {
        auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
        if (address < stackTop && stackTop - address <= stackReach + kGuardBytes) number = errors::kStackOverflow;
    }
    endingInHandler = 1;
    if (faultReporter != nullptr) faultReporter(number, FaultLocation(context));
    _exit(number);
}

// What the layer holds is given back first. The handler was reset to the
// default action on entry, and every ending signal and the stop are blocked
// while it runs; the signal raised again and let through alone then ends
// the process as the system would have, so the exit status names it.
void OnEndingSignal(int number) {
    endingInHandler = 1;
    if (endingCleanup != nullptr) endingCleanup();
    raise(number);
    sigset_t own;
    sigemptyset(&own);
    sigaddset(&own, number);
    sigprocmask(SIG_UNBLOCK, &own, nullptr);
}

// A signal that the process was started with ignored stays ignored.
void InstallEndingHandlers() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    BlockWhileEnding(&action.sa_mask);
    for (int number : kEndingSignals) {
        struct sigaction current {};
        if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        sigaction(number, &action, nullptr);
    }
}

void InstallFaultHandlers() {
    stack_t alternate{};
    alternate.ss_sp = faultStack;
    alternate.ss_size = sizeof faultStack;
    sigaltstack(&alternate, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    BlockWhileEnding(&action.sa_mask);
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
    sigaction(SIGFPE, &action, nullptr);

    // A reader that went away, or a file grown to the size limit, makes the
    // write fail with an error the layer reports (EPIPE, EFBIG), instead of
    // killing the process without a word.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

// A process started with standard input, output or error closed would get
// that descriptor for the first file it opens: its dialogue would then be
// read from, or its report written into, that file. The null device holds
// the place instead. Descriptors are taken lowest first, so each open lands
// on the one just found closed.
void HoldStandardDescriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (posix::CallDescriptorFlags(descriptor) != -1 || errno != EBADF) continue;
        if (posix::CallOpen("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0) != descriptor) {
            _exit(kNoNullDevice);
        }
    }
}

}  // namespace

void StartProcess(int argc, char** argv) {
    HoldStandardDescriptors();
    argumentCount = argc;
    argumentBytes = argv;

    int marker = 0;
    stackTop = reinterpret_cast<std::uintptr_t>(&marker);
    struct rlimit limit {};
    stackReach = kLargestStack;
    if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kLargestStack) {
        stackReach = static_cast<std::uintptr_t>(limit.rlim_cur);
    }
    InstallFaultHandlers();
    InstallEndingHandlers();
}

bool Argument(int n, const char** bytes, std::size_t* length) {
    if (n == 0) {
        if (programPathLength == 0) {
            ssize_t got = posix::CallReadlink("/proc/self/exe", programPath, sizeof programPath);
            if (got > 0) {
                programPathLength = static_cast<std::size_t>(got);
            } else if (argumentCount > 0) {
                programPathLength = std::strlen(argumentBytes[0]);
                if (programPathLength > sizeof programPath) programPathLength = sizeof programPath;
                std::memcpy(programPath, argumentBytes[0], programPathLength);
            }
        }
        *bytes = programPath;
        *length = programPathLength;
        return true;
    }
    if (n < 0 || n >= argumentCount) return false;
    *bytes = argumentBytes[n];
    *length = std::strlen(argumentBytes[n]);
    return true;
}

bool CommandLine(const char**, std::size_t*) { return false; }

void ExitProcess(int code) { _exit(code); }

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

std::uint32_t CodeOffset(const void* address) {
    auto place = reinterpret_cast<std::uintptr_t>(address);
    auto base = reinterpret_cast<std::uintptr_t>(__ehdr_start);
    if (base != 0 && place >= base) place -= base;
    return static_cast<std::uint32_t>(place);
}

void SetFaultReporter(FaultReporter reporter) { faultReporter = reporter; }

void SetEndingCleanup(EndingCleanup cleanup) { endingCleanup = cleanup; }

bool EndingInHandler() { return endingInHandler != 0; }

namespace {
sigset_t maskBeforeHold;
}  // namespace

void HoldEndings() {
    sigset_t ending;
    BlockWhileEnding(&ending);
    sigprocmask(SIG_BLOCK, &ending, &maskBeforeHold);
}

// A signal that came meanwhile is delivered here, and its handler then
// finds the files as they now are.
void ReleaseEndings() { sigprocmask(SIG_SETMASK, &maskBeforeHold, nullptr); }

std::uint32_t MillisecondTicks() {
    struct timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    std::uint64_t ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);  // wraps, like the system counter it stands for
}

void SleepMilliseconds(std::uint32_t ms) {
    struct timespec wait {
        static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L
    };
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {}
}

}  // namespace platform
