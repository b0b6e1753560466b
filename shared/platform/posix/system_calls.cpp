#include "system_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "../fault_injection.h"
#include "../platform.h"

namespace platform::posix {
namespace {

// What the fault seam asks of one call, if anything.
struct Disturbance {
    int error = 0;
    std::size_t takeAtMost = 0;
};

const Disturbance* Disturb(fault::Call call) {
    static Disturbance disturbance;
    if (!fault::Disturb(call, &disturbance.error, &disturbance.takeAtMost)) return nullptr;
    return &disturbance;
}

}  // namespace

using fault::Call;

int CallOpen(const char* name, int flags, mode_t mode) {
    if (const auto* plan = Disturb(Call::Open)) {
        errno = plan->error;
        return -1;
    }
    return ::open(name, flags, mode);
}

ssize_t CallRead(int fd, void* buffer, std::size_t count) {
    if (const auto* plan = Disturb(Call::Read)) {
        if (plan->error != 0) {
            errno = plan->error;
            return -1;
        }
        if (count > plan->takeAtMost) count = plan->takeAtMost;
    }
    return ::read(fd, buffer, count);
}

ssize_t CallWrite(int fd, const void* buffer, std::size_t count) {
    if (const auto* plan = Disturb(Call::Write)) {
        if (plan->error != 0) {
            errno = plan->error;
            return -1;
        }
        if (plan->takeAtMost == 0) return 0;  // the system took nothing
        if (count > plan->takeAtMost) count = plan->takeAtMost;
    }
    return ::write(fd, buffer, count);
}

int CallClose(int fd) {
    if (const auto* plan = Disturb(Call::Close)) {
        ::close(fd);  // the handle is gone either way, as after a real failed close
        errno = plan->error;
        return -1;
    }
    return ::close(fd);
}

int CallFstat(int fd, struct stat* info) {
    if (const auto* plan = Disturb(Call::Length)) {
        errno = plan->error;
        return -1;
    }
    return ::fstat(fd, info);
}

int CallLock(int fd, short type) {
    if (const auto* plan = Disturb(Call::Lock)) {
        errno = plan->error;
        return -1;
    }
    // Locks of an open file description, unlike process locks, also keep
    // two openings within one process apart, and no close of another
    // descriptor of the same file releases them.
    struct flock whole{};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;
    return ::fcntl(fd, F_OFD_SETLK, &whole);
}

unsigned short MapErrno(int error, Direction direction) {
    switch (error) {
        case 0: return 0;
        case ENOENT: return 2;
        case ENOTDIR:
        case ENAMETOOLONG: return 3;
        case EMFILE:
        case ENFILE: return 4;
        case EACCES:
        case EPERM:
        case EISDIR: return 5;
        case EBADF: return 6;
        case EEXIST: return kFileExists;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return 101;
        case EROFS: return 150;
        case ENXIO:
        case ENODEV:
#ifdef ENOMEDIUM
        case ENOMEDIUM:
#endif
            return 152;
        case EIO:
            return direction == Direction::Read ? 161 : direction == Direction::Write ? 160 : 162;
        default: return 162;
    }
}

}  // namespace platform::posix
