// The one narrow interface between the suite and the operating system.
//
// Everything the layer needs from the system is declared here and implemented
// once per system (posix/ and windows/). Results that can fail come
// back as the layer's own I/O error numbers (0 = none): each backend maps its
// system's errors onto that table, so nothing above this header ever sees an
// errno or a Win32 error code.
#pragma once

#include <cstddef>
#include <cstdint>

// What the standard has no words for, in the words of the compilers the
// suite is built with (GCC and Clang, also as MinGW):
// a function inlined into every caller, so that a check in it names the
// caller's statement in the run-time error report;
#define PLATFORM_INLINE_INTO_CALLER [[gnu::always_inline]] inline
// one never inlined, so that it has a return address of its own;
#define PLATFORM_NEVER_INLINE [[gnu::noinline]]
// and, inside that, the address its caller goes on at.
#define PLATFORM_RETURN_ADDRESS() __builtin_return_address(0)

namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class StandardStream { Input, Output, Error };

// Every file is opened for reading and writing while other programs may only
// read it. Where the system has no such sharing rule (POSIX), the backend
// keeps it among the suite's own runs: an existing file is held shared and a
// created one exclusively, and a file held in a way that excludes the
// opening fails with 5 before anything is cut. A pipe or socket never opens
// (5): the run would wait on it for ever.
enum class OpenKind {
    Existing,     // the file must exist
    CreateEmpty,  // created, or cut to length 0 if it exists
};

// The number CreateReplacement gives when its name is taken (the system's
// own number for an existing file on Windows).
inline constexpr std::uint16_t kFileExists = 80;

// The longest path the layer builds or resolves (Linux's limit; far more
// than a Windows path may hold).
inline constexpr std::size_t kPathBytes = 4096;

// Two names reach the same file when their identities are equal: device and
// inode on POSIX, volume and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// --- process ---------------------------------------------------------------

// Called once before anything else; installs the fault and signal handlers
// and reads what the backend needs (the arguments, the stack bounds).
void StartProcess(int argc, char** argv);

// Argument n of the command line as the system hands it over (n >= 1), or
// the program file's path for n == 0. Gives false when there is no such
// argument. The bytes stay valid for the whole run.
bool Argument(int n, const char** bytes, std::size_t* length);

// The whole command line as one byte string, on a system that hands it over
// so (Windows); the layer then splits it itself, and Argument serves only
// n == 0. Gives false on a system that hands over ready arguments (POSIX).
bool CommandLine(const char** bytes, std::size_t* length);

[[noreturn]] void ExitProcess(int code);

// This process's number, unique among the processes running at the same time.
std::uint32_t ProcessId();

// Where a call was made from, as an offset inside the executable, so that
// the run-time error report names the same place on every run.
std::uint32_t CodeOffset(const void* address);

// Lets the layer name a failed check in a processor-fault report: called
// from the fault handler, so it must only use async-signal-safe means.
using FaultReporter = void (*)(std::uint16_t number, std::uint32_t location);
void SetFaultReporter(FaultReporter reporter);

// Lets the layer give back what it holds (the console's modes, a temporary
// output) when a signal ends the process; the signal then takes its course.
// Called from the signal handler, so it must only use async-signal-safe means.
using EndingCleanup = void (*)();
void SetEndingCleanup(EndingCleanup cleanup);

// True once a signal or a processor fault has begun to end the process:
// what runs from then on is inside a handler and must not wait.
bool EndingInHandler();

// --- files -----------------------------------------------------------------

FileHandle StandardHandle(StandardStream which);

// True when the stream is a terminal (a console), where control bytes would
// steer the screen instead of being shown.
bool IsTerminal(StandardStream which);

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle);

// One read request; an interrupted request is repeated. *done holds the
// bytes read (0 at the end of the data).
std::uint16_t ReadSome(FileHandle handle, void* buffer, std::size_t count, std::size_t* done);

// Writes all count bytes, continuing after short writes; a system that takes
// nothing at all is a full disk (101). *done holds the bytes written.
std::uint16_t WriteAll(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done);

// Writes text to a terminal (IsTerminal) so that it shows as the characters
// its bytes stand for in the code page of file names: on POSIX the bytes as
// they are; on Windows the ANSI code page's characters, whichever code page
// the console shows. *done holds the bytes taken.
std::uint16_t WriteTerminalText(FileHandle handle, const char* bytes, std::size_t count, std::size_t* done);

// One copy request made inside the system: up to count bytes from one open
// file's position to the other's, without passing through the process; both
// positions advance by the bytes moved (*done, 0 at the end of the data or
// where the system copies nothing of this file). Gives false, with nothing
// moved, where the system does not copy between these two files (one is not
// a regular file, they lie on file systems that do not copy to each other,
// there is no such copy at all) or the copy failed: the caller then moves the
// bytes by reading and writing, which also names a fault by its side.
bool CopySome(FileHandle from, FileHandle to, std::size_t count, std::size_t* done);

// Length in bytes; the file position does not move.
std::uint16_t Length(FileHandle handle, std::int64_t* length);

std::uint16_t Close(FileHandle handle);

// Creates the new file `name`, which must not exist yet (kFileExists when it
// does), to take the place of the file `replaced` later: it starts with that
// file's permissions, never wider, and where the process may give them (the
// superuser), its owner and group. It is held exclusively, like a created file.
std::uint16_t CreateReplacement(const char* name, const char* replaced, FileHandle* handle);

// Puts a complete file made by CreateReplacement in the place of another one
// in a single step, so that a reader sees either the old or the new file,
// never a part.
std::uint16_t PutInPlace(const char* from, const char* to);
std::uint16_t Remove(const char* name);

// The path that name reaches once every symbolic link on the way is followed
// (as given where the system has no such links to follow), so that replacing
// it replaces the file and leaves a link a link. At most kPathBytes bytes with
// the terminating zero.
std::uint16_t FinalPath(const char* name, char* path, std::size_t capacity);

// Gives false when no file of that name can be found.
bool IdentifyFile(const char* name, FileIdentity* identity);

// The bytes after which a file name's folder part ends ("/" on POSIX; on
// Windows also the backslash and the colon of a drive).
const char* FolderSeparators();

// --- time ------------------------------------------------------------------

std::uint32_t MillisecondTicks();
void SleepMilliseconds(std::uint32_t ms);

}  // namespace platform
