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
// keeps it among the suite's own runs: a file opened Existing is held shared,
// one opened Rewrite or Create exclusively, and a file held in a way that
// excludes the opening fails with 5 before anything is cut. Where the file
// system keeps no locks at all, the opening goes on unheld: what must never
// be reached is then told by the file's identity (FileFacts), which the
// caller checks before it cuts or writes anything. No opening cuts a file;
// SetLength does, once the caller knows it may. An existing regular file
// without any write permission is read-only and fails with 5, whoever runs
// us. A pipe or socket never opens (5): the run would wait on it for ever.
enum class OpenKind {
    Existing,  // the file must exist; held shared
    Rewrite,   // the file must exist; held exclusively
    Create,    // created when it is missing; held exclusively
};

// The layer's I/O error numbers (0 = none), the same on every system: each
// backend maps its system's errors onto them. Windows hands on any other
// system error code as it is.
namespace errors {
inline constexpr std::uint16_t kFileNotFound = 2;
inline constexpr std::uint16_t kPathNotFound = 3;  // also a name too long to hold
inline constexpr std::uint16_t kTooManyOpenFiles = 4;
inline constexpr std::uint16_t kAccessDenied = 5;  // also read-only, in use, or a file a run must not write
inline constexpr std::uint16_t kInvalidHandle = 6;
// CreateReplacement's name is taken (the system's own number on Windows).
inline constexpr std::uint16_t kFileExists = 80;
inline constexpr std::uint16_t kDiskFull = 101;
inline constexpr std::uint16_t kFileNotBound = 102;
inline constexpr std::uint16_t kFileNotOpen = 103;
inline constexpr std::uint16_t kFileNotOpenForInput = 104;
inline constexpr std::uint16_t kFileNotOpenForOutput = 105;
inline constexpr std::uint16_t kWriteProtected = 150;
inline constexpr std::uint16_t kDriveNotReady = 152;
inline constexpr std::uint16_t kWriteFault = 160;
inline constexpr std::uint16_t kReadFault = 161;
inline constexpr std::uint16_t kGeneralFailure = 162;
// The numbers a processor fault ends the process with.
inline constexpr std::uint16_t kDivisionByZero = 200;
inline constexpr std::uint16_t kRangeCheck = 201;
inline constexpr std::uint16_t kStackOverflow = 202;
inline constexpr std::uint16_t kArithmeticOverflow = 215;
inline constexpr std::uint16_t kAccessViolation = 216;
}  // namespace errors

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

// What an opening learns of the file it reached, from the open file itself,
// so that no rename or link made meanwhile can change the answer.
struct FileFacts {
    FileIdentity identity;
    // Another name may reach this file: the name opened was a symbolic link,
    // or the file has more than one hard link.
    bool otherNames = false;
    // This opening made the file: nothing of anyone's was in it.
    bool created = false;
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

// Keeps the ending signals (on Windows: Ctrl+C, Ctrl+Break, a closed
// console) waiting from HoldEndings to ReleaseEndings, while the layer makes
// or takes away a file and its record, so that the ending cleanup finds
// either no file or a recorded one. Not nested.
void HoldEndings();
void ReleaseEndings();

// True once a signal or a processor fault has begun to end the process:
// what runs from then on is inside a handler and must not wait.
bool EndingInHandler();

// --- files -----------------------------------------------------------------

FileHandle StandardHandle(StandardStream which);

// True when the stream is a terminal (a console), where control bytes would
// steer the screen instead of being shown.
bool IsTerminal(StandardStream which);

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle, FileFacts* facts);

// One read request; an interrupted request is repeated. *done holds the
// bytes read (0 at the end of the data).
std::uint16_t ReadSome(FileHandle handle, void* buffer, std::size_t count, std::size_t* done);

// One write request; an interrupted request is repeated. *done holds the
// bytes the system took, which may be fewer than count, or none.
std::uint16_t WriteSome(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done);

// Writes all count bytes, continuing after short writes; a write that takes
// nothing at all is a full disk (errors::kDiskFull). *done holds the bytes
// written. The same on every system, over WriteSome.
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

// Makes the file `length` bytes long (0 empties it); the position does not move.
std::uint16_t SetLength(FileHandle handle, std::int64_t length);

// Sends what was written to the medium, so that a power loss after it
// cannot take it back.
std::uint16_t Flush(FileHandle handle);

std::uint16_t Close(FileHandle handle);

// How a file made by CreateReplacement takes the replaced file's place.
enum class ReplacementWay {
    // PutInPlace renames it over the replaced file: the new file keeps the
    // replaced file's permissions, and its owner or group.
    Rename,
    // Its contents are copied over the replaced file, which so keeps what
    // a new file could not carry: its owner and group where the process
    // can give neither, its other hard links, its extended attributes.
    CopyOver,
};

// Creates the new file `name`, which must not exist yet (errors::kFileExists when it
// does), to take the place of the file `replaced` later: it starts with that
// file's permissions, never wider, its group wherever the process may give
// it (a member of the group may), and its owner where the process may give
// that (the superuser). *way tells how it is to take the replaced file's
// place. It is held exclusively, like a created file.
std::uint16_t CreateReplacement(const char* name, const char* replaced, FileHandle* handle, ReplacementWay* way);

// Puts a complete, closed file made by CreateReplacement in the place of
// `to` in a single step, so that a reader sees either the old or the new
// file, never a part, and the step outlives a power loss. `to` is held
// exclusively first and must still be the file `expected`: another file of
// that name, or one another run holds, is left as it is and the call fails
// with 5.
std::uint16_t PutInPlace(const char* from, const char* to, const FileIdentity& expected);
std::uint16_t Remove(const char* name);

// The path that name reaches once every symbolic link on the way is followed
// (as given where the system has no such links to follow), so that replacing
// it replaces the file and leaves a link a link. At most kPathBytes bytes with
// the terminating zero.
std::uint16_t FinalPath(const char* name, char* path, std::size_t capacity);

// Gives false when no file of that name can be found.
bool IdentifyFile(const char* name, FileIdentity* identity);

// Calls visit with the name of each entry of the folder (without the folder,
// never "." or ".."), until it gives false. Gives 0, or the number of the
// failure to read the folder.
using FolderVisitor = bool (*)(const char* name, void* context);
std::uint16_t ListFolder(const char* folder, FolderVisitor visit, void* context);

// True where two names that differ only in the case of ASCII letters reach
// the same file (Windows).
bool NamesIgnoreLetterCase();

// The bytes after which a file name's folder part ends ("/" on POSIX; on
// Windows also the backslash and the colon of a drive).
const char* FolderSeparators();

// --- time ------------------------------------------------------------------

std::uint32_t MillisecondTicks();
void SleepMilliseconds(std::uint32_t ms);

}  // namespace platform
