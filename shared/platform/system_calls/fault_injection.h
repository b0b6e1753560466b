// A seam for tests: makes chosen system calls of the backend fail or come
// up short without touching the real system, so that the layer's failure
// paths can be driven one by one. Only the test programs carry it: they link
// the wrappers built with the seam (suite_system_calls_with_fault_seam), the
// shipped programs the wrappers without it.
#pragma once

#include <cstddef>
#include <cstdio>

namespace platform::fault {

// The kinds of system call a backend makes, each counted on its own.
enum class Call {
    Open,
    Read,
    Write,
    Close,
    Length,    // of an open file (fstat, GetFileSizeEx)
    Status,    // of a file by name (stat, lstat, listxattr, GetFileAttributesW)
    Truncate,  // ftruncate, SetEndOfFile
    Owner,     // fchown
    Mode,      // fchmod
    Rename,    // rename, MoveFileExW
    Remove,    // unlink, DeleteFileW
    Resolve,   // realpath, and the program's own path (readlink, GetModuleFileNameA)
    Lock,      // fcntl locks
    Terminal,  // the terminal or console itself: modes, size, cells, keys, tone
    Copy,      // a copy between two open files inside the system (copy_file_range)
    Flush,     // a file's or folder's contents sent to the medium (fsync, FlushFileBuffers)
    List,      // a folder's entries read (getdents64, FindFirstFileW and FindNextFileW)
    Count
};

// From the nth call (1-based, counted from now) of the given kind on, for
// `times` calls: fail with the system error `error` (an errno value on
// POSIX, a system error code on Windows) when it is not 0, else move at most
// `takeAtMost` bytes. A test that arms more faults at once than the seam
// holds ends with a message instead of running without them.
void Inject(Call call, unsigned nth, int error, std::size_t takeAtMost = 0, unsigned times = 1);

// Raises the signal just before the nth call of the given kind (counted from
// now) is made, as if it came from outside at that moment; the call is then
// made as usual, unless the signal ended the process.
void RaiseBefore(Call call, unsigned nth, int signal);

// Disarms every injected fault and resets the call counters.
void Clear();

// From now on, every counted call writes one line to log (flushed at once,
// so that it outlives an abrupt end): its kind's number, followed by "!"
// when the call was disturbed. nullptr stops the record.
void Record(std::FILE* log);

}  // namespace platform::fault
