// Files on POSIX: open, read, write, length and close, with errno mapped onto
// the layer's numbers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../platform.h"
#include "system_calls.h"

namespace platform {
namespace {

using posix::Direction;
using posix::MapErrno;

// Longest path the ENOENT check copies to find the folder part of a name.
constexpr std::size_t kPathBytes = 4096;

// ENOENT names a missing file (2) only when the folder that should hold it
// exists; a missing folder on the way is "path not found" (3).
std::uint16_t MissingFileOrFolder(const char* name) {
    const char* slash = std::strrchr(name, '/');
    if (slash == nullptr) return 2;  // the current folder always exists
    std::size_t folderLength = static_cast<std::size_t>(slash - name);
    if (folderLength == 0) return 2;  // the root folder
    if (folderLength >= kPathBytes) return 3;
    char folder[kPathBytes];
    std::memcpy(folder, name, folderLength);
    folder[folderLength] = '\0';
    struct stat info;
    if (::stat(folder, &info) != 0 || !S_ISDIR(info.st_mode)) return 3;
    return 2;
}

}  // namespace

FileHandle StandardHandle(StandardStream which) {
    switch (which) {
        case StandardStream::Input: return STDIN_FILENO;
        case StandardStream::Output: return STDOUT_FILENO;
        case StandardStream::Error: return STDERR_FILENO;
    }
    return kNoFile;
}

std::uint16_t OpenFile(const char* name, OpenKind kind, FileHandle* handle) {
    *handle = kNoFile;
    // A file is emptied only after it was found writable (below), so the
    // create does not cut it on opening.
    int flags = O_RDWR | O_CLOEXEC;
    if (kind == OpenKind::CreateEmpty) flags |= O_CREAT;
    int fd;
    do {
        fd = posix::CallOpen(name, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT) return kind == OpenKind::CreateEmpty ? 3 : MissingFileOrFolder(name);
        return MapErrno(error, Direction::Other);
    }
    // A regular file without any write bit is read-only, whoever runs us:
    // the superuser's power to write it anyway must neither open nor empty it.
    struct stat info;
    bool known = ::fstat(fd, &info) == 0;
    if (known && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
        ::close(fd);
        return 5;
    }
    if (kind == OpenKind::CreateEmpty && (!known || info.st_size != 0) && ::ftruncate(fd, 0) != 0) {
        int error = errno;
        ::close(fd);
        return MapErrno(error, Direction::Write);
    }
    *handle = fd;
    return 0;
}

std::uint16_t ReadFile(FileHandle handle, void* buffer, std::size_t count, std::size_t* done) {
    *done = 0;
    ssize_t got;
    do {
        got = posix::CallRead(static_cast<int>(handle), buffer, count);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return MapErrno(errno, Direction::Read);
    *done = static_cast<std::size_t>(got);
    return 0;
}

std::uint16_t WriteFile(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    const char* bytes = static_cast<const char*>(buffer);
    std::size_t written = 0;
    while (written < count) {
        ssize_t took = posix::CallWrite(static_cast<int>(handle), bytes + written, count - written);
        if (took < 0) {
            if (errno == EINTR) continue;
            *done = written;
            return MapErrno(errno, Direction::Write);
        }
        if (took == 0) {  // the system takes nothing more: the medium is full
            *done = written;
            return 101;
        }
        written += static_cast<std::size_t>(took);
    }
    *done = written;
    return 0;
}

std::uint16_t FileLength(FileHandle handle, std::int64_t* length) {
    struct stat info;
    *length = 0;
    if (posix::CallFstat(static_cast<int>(handle), &info) != 0) return MapErrno(errno, Direction::Other);
    *length = static_cast<std::int64_t>(info.st_size);
    return 0;
}

std::uint16_t CloseFile(FileHandle handle) {
    // The descriptor is released even when close reports an error, so it is
    // never retried (retrying could close a descriptor opened meanwhile).
    if (posix::CallClose(static_cast<int>(handle)) != 0 && errno != EINTR) {
        return MapErrno(errno, Direction::Write);
    }
    return 0;
}

std::uint16_t ReplaceFile(const char* from, const char* to) {
    // A private file must not become readable by others by being replaced.
    struct stat replaced;
    if (::stat(to, &replaced) == 0 && ::chmod(from, replaced.st_mode & 0777) != 0) {
        return MapErrno(errno, Direction::Other);
    }
    if (std::rename(from, to) != 0) return MapErrno(errno, Direction::Other);
    return 0;
}

std::uint16_t RemoveFile(const char* name) {
    if (::unlink(name) != 0) return MapErrno(errno, Direction::Other);
    return 0;
}

const char* FolderSeparators() { return "/"; }

bool SameFile(const char* first, const char* second) {
    struct stat a, b;
    if (::stat(first, &a) != 0 || ::stat(second, &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace platform
