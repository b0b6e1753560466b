#include "system_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/xattr.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "../../platform.h"
#include "../seam.h"

namespace platform::wrapper {

void SetSystemError(int error) { errno = error; }

bool InterruptedBySignal() { return errno == EINTR; }

}  // namespace platform::wrapper

namespace platform::posix {

using fault::Call;
using wrapper::CloseEvenIfInjected;
using wrapper::RunOnceUnlessInjected;
using wrapper::RunUnlessInjected;
using wrapper::TransferAsAllowed;

int CallOpen(const char* name, int flags, mode_t mode) {
    return RunUnlessInjected(Call::Open, -1, [&] { return ::open(name, flags, mode); });
}

ssize_t CallRead(int fd, void* buffer, std::size_t count) {
    return TransferAsAllowed(Call::Read, count, ssize_t{-1},
                             [&](std::size_t allowed) { return ::read(fd, buffer, allowed); });
}

ssize_t CallWrite(int fd, const void* buffer, std::size_t count) {
    return TransferAsAllowed(Call::Write, count, ssize_t{-1}, [&](std::size_t allowed) {
        return allowed == 0 ? ssize_t{0} : ::write(fd, buffer, allowed);
    });
}

ssize_t CallCopyFileRange(int from, int to, std::size_t count) {
    return TransferAsAllowed(Call::Copy, count, ssize_t{-1}, [&](std::size_t allowed) {
        return ::copy_file_range(from, nullptr, to, nullptr, allowed, 0);
    });
}

int CallClose(int fd) {
    // After EINTR the descriptor is released too.
    return CloseEvenIfInjected(Call::Close, -1, [&] { return ::close(fd) == 0 || errno == EINTR ? 0 : -1; });
}

int CallFstat(int fd, struct stat* info) {
    return RunUnlessInjected(Call::Length, -1, [&] { return ::fstat(fd, info); });
}

int CallStat(const char* name, struct stat* info) {
    return RunUnlessInjected(Call::Status, -1, [&] { return ::stat(name, info); });
}

int CallLstat(const char* name, struct stat* info) {
    return RunUnlessInjected(Call::Status, -1, [&] { return ::lstat(name, info); });
}

ssize_t CallListXattr(const char* name, char* list, std::size_t size) {
    return RunUnlessInjected(Call::Status, ssize_t{-1}, [&] { return ::listxattr(name, list, size); });
}

int CallFsync(int fd) {
    return RunUnlessInjected(Call::Flush, -1, [&] { return ::fsync(fd); });
}

ssize_t CallGetdents(int fd, void* buffer, std::size_t size) {
    return RunUnlessInjected(Call::List, ssize_t{-1}, [&] { return ::getdents64(fd, buffer, size); });
}

int CallFtruncate(int fd, off_t length) {
    return RunUnlessInjected(Call::Truncate, -1, [&] { return ::ftruncate(fd, length); });
}

int CallFchown(int fd, uid_t owner, gid_t group) {
    return RunUnlessInjected(Call::Owner, -1, [&] { return ::fchown(fd, owner, group); });
}

int CallFchmod(int fd, mode_t mode) {
    return RunUnlessInjected(Call::Mode, -1, [&] { return ::fchmod(fd, mode); });
}

int CallRename(const char* from, const char* to) {
    return RunUnlessInjected(Call::Rename, -1, [&] { return std::rename(from, to); });
}

int CallUnlink(const char* name) {
    return RunUnlessInjected(Call::Remove, -1, [&] { return ::unlink(name); });
}

char* CallRealpath(const char* name, char* resolved) {
    return RunUnlessInjected(Call::Resolve, static_cast<char*>(nullptr), [&] { return ::realpath(name, resolved); });
}

int CallLock(int fd, short type) {
    // Locks of an open file description, unlike process locks, also keep
    // two openings within one process apart, and no close of another
    // descriptor of the same file releases them.
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;
    return RunUnlessInjected(Call::Lock, -1, [&] { return ::fcntl(fd, F_OFD_SETLK, &whole); });
}

int CallIsatty(int fd) {
    return RunUnlessInjected(Call::Terminal, 0, [&] { return ::isatty(fd); });
}

int CallDescriptorFlags(int fd) {
    return RunUnlessInjected(Call::Status, -1, [&] { return ::fcntl(fd, F_GETFD); });
}

ssize_t CallReadlink(const char* name, char* buffer, std::size_t size) {
    return RunUnlessInjected(Call::Resolve, static_cast<ssize_t>(-1), [&] { return ::readlink(name, buffer, size); });
}

int CallTcgetattr(int fd, struct termios* modes) {
    return RunUnlessInjected(Call::Terminal, -1, [&] { return ::tcgetattr(fd, modes); });
}

int CallTcsetattr(int fd, const struct termios* modes) {
    return RunUnlessInjected(Call::Terminal, -1, [&] { return ::tcsetattr(fd, TCSANOW, modes); });
}

pid_t CallTcgetpgrp(int fd) {
    return RunUnlessInjected(Call::Terminal, static_cast<pid_t>(-1), [&] { return ::tcgetpgrp(fd); });
}

int CallIoctl(int fd, unsigned long request, std::uintptr_t argument) {
    return RunUnlessInjected(Call::Terminal, -1, [&] { return ::ioctl(fd, request, argument); });
}

int CallPoll(struct pollfd* watched, unsigned count, int timeoutMs) {
    return RunOnceUnlessInjected(Call::Terminal, -1, [&] { return ::poll(watched, count, timeoutMs); });
}

unsigned short MapErrno(int error, Direction direction) {
    switch (error) {
        case 0: return 0;
        case ENOENT: return errors::kFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG: return errors::kPathNotFound;
        case EMFILE:
        case ENFILE: return errors::kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR: return errors::kAccessDenied;
        case EBADF: return errors::kInvalidHandle;
        case EEXIST: return errors::kFileExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return errors::kDiskFull;
        case EROFS: return errors::kWriteProtected;
        case ENXIO:
        case ENODEV:
#ifdef ENOMEDIUM
        case ENOMEDIUM:
#endif
            return errors::kDriveNotReady;
        case EIO:
            return direction == Direction::Read    ? errors::kReadFault
                   : direction == Direction::Write ? errors::kWriteFault
                                                   : errors::kGeneralFailure;
        default: return errors::kGeneralFailure;
    }
}

}  // namespace platform::posix
