// Left direct, as they cannot fail in a way the tools could meet or do no
// I/O: sigaction, sigprocmask, sigemptyset, sigaddset, signal, raise,
// sigaltstack (the signal and fault handlers), getpid, getpgrp, geteuid,
// getrlimit, clock_gettime, nanosleep, _exit.
//
// Every other system call of the POSIX backend and the terminal goes through
// one of these wrappers, named after the call it makes, in the one idiom of
// seam.h: in a test program each asks the fault seam first, so that a test
// can make any of them fail (or, for reads, writes and copies, move fewer
// bytes), and each repeats a call that a signal interrupted, so that no caller
// sees EINTR. They fail as the system does: -1 (or nullptr) and errno.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

struct termios;
struct pollfd;

#include <cstddef>
#include <cstdint>

namespace platform::posix {

int CallOpen(const char* name, int flags, mode_t mode);
// One read request.
ssize_t CallRead(int fd, void* buffer, std::size_t count);
// One write request.
ssize_t CallWrite(int fd, const void* buffer, std::size_t count);
// One copy_file_range request between the two descriptors' positions.
ssize_t CallCopyFileRange(int from, int to, std::size_t count);
// The descriptor is released even when close reports an error, so it is
// never repeated (that could close a descriptor opened meanwhile).
int CallClose(int fd);
int CallFstat(int fd, struct stat* info);
int CallStat(const char* name, struct stat* info);
// Of the name itself: a symbolic link is not followed.
int CallLstat(const char* name, struct stat* info);
// The names of the file's extended attributes, each ended by a zero.
ssize_t CallListXattr(const char* name, char* list, std::size_t size);
int CallFsync(int fd);
// One request for an open folder's next entries, as records of struct dirent64.
ssize_t CallGetdents(int fd, void* buffer, std::size_t size);
int CallFtruncate(int fd, off_t length);
int CallFchown(int fd, uid_t owner, gid_t group);
int CallFchmod(int fd, mode_t mode);
int CallRename(const char* from, const char* to);
int CallUnlink(const char* name);
// resolved holds PATH_MAX bytes.
char* CallRealpath(const char* name, char* resolved);
// Takes a lock of the given type (F_RDLCK, F_WRLCK) on the whole file for the
// open file description, without waiting.
int CallLock(int fd, short type);
int CallIsatty(int fd);
// Whether the descriptor is open (F_GETFD).
int CallDescriptorFlags(int fd);
ssize_t CallReadlink(const char* name, char* buffer, std::size_t size);

// The terminal: its modes, its size and sound requests, waiting for keys.
int CallTcgetattr(int fd, struct termios* modes);
int CallTcsetattr(int fd, const struct termios* modes);
pid_t CallTcgetpgrp(int fd);
int CallIoctl(int fd, unsigned long request, std::uintptr_t argument);
// Waits up to timeoutMs (-1: for ever) for input; an interrupted wait is not
// repeated, so that the caller can look at what the signal changed.
int CallPoll(struct pollfd* watched, unsigned count, int timeoutMs);

// errno values mapped onto the layer's I/O error numbers.
enum class Direction { Read, Write, Other };
unsigned short MapErrno(int error, Direction direction);

}  // namespace platform::posix
