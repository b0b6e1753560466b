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

#include "../fault_injection.h"
#include "../platform.h"

namespace platform::posix {
namespace {

using fault::Disturbance;

// What the fault seam asks of this call, or nullptr when it runs undisturbed.
const Disturbance* Disturb(fault::Call call) {
    static Disturbance disturbance;
    if (!fault::Disturb(call, &disturbance)) return nullptr;
    return &disturbance;
}

}  // namespace

using fault::Call;

namespace {

// Fails the call as the seam asks, or makes it; repeats it while a signal
// interrupts it.
template <typename Result, typename SystemCall>
Result FailAsInjectedOrRun(Call kind, Result failed, SystemCall call) {
    for (;;) {
        const Disturbance* plan = Disturb(kind);
        Result result;
        if (plan != nullptr && plan->error != 0) {
            errno = plan->error;
            result = failed;
        } else {
            result = call();
        }
        if (result != failed || errno != EINTR) return result;
    }
}

// The byte count a disturbed transfer may move.
std::size_t BytesAllowed(Call kind, std::size_t count, int* error) {
    *error = 0;
    const Disturbance* plan = Disturb(kind);
    if (plan == nullptr) return count;
    *error = plan->error;
    return plan->takeAtMost < count ? plan->takeAtMost : count;
}

// One request that moves at most count bytes, as many as the seam allows;
// repeated while a signal interrupts it.
template <typename Request>
ssize_t TransferAsAllowed(Call kind, std::size_t count, Request request) {
    for (;;) {
        int error = 0;
        std::size_t allowed = BytesAllowed(kind, count, &error);
        ssize_t moved = -1;
        if (error != 0) {
            errno = error;
        } else {
            moved = request(allowed);
        }
        if (moved >= 0 || errno != EINTR) return moved;
    }
}

}  // namespace

int CallOpen(const char* name, int flags, mode_t mode) {
    return FailAsInjectedOrRun(Call::Open, -1, [&] { return ::open(name, flags, mode); });
}

ssize_t CallRead(int fd, void* buffer, std::size_t count) {
    return TransferAsAllowed(Call::Read, count, [&](std::size_t allowed) { return ::read(fd, buffer, allowed); });
}

ssize_t CallWrite(int fd, const void* buffer, std::size_t count) {
    return TransferAsAllowed(Call::Write, count, [&](std::size_t allowed) {
        return allowed == 0 ? ssize_t{0} : ::write(fd, buffer, allowed);
    });
}

ssize_t CallCopyFileRange(int from, int to, std::size_t count) {
    return TransferAsAllowed(Call::Copy, count, [&](std::size_t allowed) {
        return ::copy_file_range(from, nullptr, to, nullptr, allowed, 0);
    });
}

int CallClose(int fd) {
    if (const Disturbance* plan = Disturb(Call::Close); plan != nullptr && plan->error != 0) {
        ::close(fd);  // the descriptor is gone either way, as after a real failed close
        errno = plan->error;
        return -1;
    }
    if (::close(fd) == 0 || errno == EINTR) return 0;  // after EINTR the descriptor is released too
    return -1;
}

int CallFstat(int fd, struct stat* info) {
    return FailAsInjectedOrRun(Call::Length, -1, [&] { return ::fstat(fd, info); });
}

int CallStat(const char* name, struct stat* info) {
    return FailAsInjectedOrRun(Call::Status, -1, [&] { return ::stat(name, info); });
}

int CallLstat(const char* name, struct stat* info) {
    return FailAsInjectedOrRun(Call::Status, -1, [&] { return ::lstat(name, info); });
}

ssize_t CallListXattr(const char* name, char* list, std::size_t size) {
    return FailAsInjectedOrRun(Call::Status, ssize_t{-1}, [&] { return ::listxattr(name, list, size); });
}

int CallFsync(int fd) {
    return FailAsInjectedOrRun(Call::Flush, -1, [&] { return ::fsync(fd); });
}

ssize_t CallGetdents(int fd, void* buffer, std::size_t size) {
    return FailAsInjectedOrRun(Call::List, ssize_t{-1}, [&] { return ::getdents64(fd, buffer, size); });
}

int CallFtruncate(int fd, off_t length) {
    return FailAsInjectedOrRun(Call::Truncate, -1, [&] { return ::ftruncate(fd, length); });
}

int CallFchown(int fd, uid_t owner, gid_t group) {
    return FailAsInjectedOrRun(Call::Owner, -1, [&] { return ::fchown(fd, owner, group); });
}

int CallFchmod(int fd, mode_t mode) {
    return FailAsInjectedOrRun(Call::Mode, -1, [&] { return ::fchmod(fd, mode); });
}

int CallRename(const char* from, const char* to) {
    return FailAsInjectedOrRun(Call::Rename, -1, [&] { return std::rename(from, to); });
}

int CallUnlink(const char* name) {
    return FailAsInjectedOrRun(Call::Remove, -1, [&] { return ::unlink(name); });
}

char* CallRealpath(const char* name, char* resolved) {
    return FailAsInjectedOrRun(Call::Resolve, static_cast<char*>(nullptr), [&] { return ::realpath(name, resolved); });
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
    return FailAsInjectedOrRun(Call::Lock, -1, [&] { return ::fcntl(fd, F_OFD_SETLK, &whole); });
}

int CallIsatty(int fd) {
    return FailAsInjectedOrRun(Call::Terminal, 0, [&] { return ::isatty(fd); });
}

int CallDescriptorFlags(int fd) {
    return FailAsInjectedOrRun(Call::Status, -1, [&] { return ::fcntl(fd, F_GETFD); });
}

ssize_t CallReadlink(const char* name, char* buffer, std::size_t size) {
    return FailAsInjectedOrRun(Call::Resolve, static_cast<ssize_t>(-1), [&] { return ::readlink(name, buffer, size); });
}

int CallTcgetattr(int fd, struct termios* modes) {
    return FailAsInjectedOrRun(Call::Terminal, -1, [&] { return ::tcgetattr(fd, modes); });
}

int CallTcsetattr(int fd, const struct termios* modes) {
    return FailAsInjectedOrRun(Call::Terminal, -1, [&] { return ::tcsetattr(fd, TCSANOW, modes); });
}

pid_t CallTcgetpgrp(int fd) {
    return FailAsInjectedOrRun(Call::Terminal, static_cast<pid_t>(-1), [&] { return ::tcgetpgrp(fd); });
}

int CallIoctl(int fd, unsigned long request, std::uintptr_t argument) {
    return FailAsInjectedOrRun(Call::Terminal, -1, [&] { return ::ioctl(fd, request, argument); });
}

int CallPoll(struct pollfd* watched, unsigned count, int timeoutMs) {
    if (const Disturbance* plan = Disturb(Call::Terminal); plan != nullptr && plan->error != 0) {
        errno = plan->error;
        return -1;
    }
    return ::poll(watched, count, timeoutMs);
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
