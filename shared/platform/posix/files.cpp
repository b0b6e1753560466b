// Files on POSIX: open, read, write, length and close, with errno mapped onto
// the layer's numbers, and the sharing rule of the layer's open mode kept with
// locks among the suite's own runs.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../platform.h"
#include "system_calls.h"

namespace platform {
namespace {

using posix::Direction;
using posix::MapErrno;

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
    if (posix::CallStat(folder, &info) != 0 || !S_ISDIR(info.st_mode)) return 3;
    return 2;
}

bool IsSocket(const char* name) {
    struct stat info;
    return posix::CallStat(name, &info) == 0 && S_ISSOCK(info.st_mode);
}

// Decides whether a file just opened may be used, and holds it: shared for
// reading, or exclusively for writing. Gives 0 or the layer's number, and the
// file's length.
std::uint16_t Admit(int fd, bool exclusive, off_t* length) {
    struct stat info;
    if (posix::CallFstat(fd, &info) != 0) return MapErrno(errno, Direction::Other);
    *length = info.st_size;
    // A pipe opened for reading and writing holds its own writing end: a
    // read would wait for ever.
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return 5;
    if (!S_ISREG(info.st_mode)) return 0;  // a device: nothing to share or cut
    // A regular file without any write bit is read-only, whoever runs us:
    // the superuser's power to write it anyway must neither open nor empty it.
    if ((info.st_mode & 0222) == 0) return 5;
    if (posix::CallLock(fd, exclusive ? F_WRLCK : F_RDLCK) == 0) return 0;
    int error = errno;
    if (error == EAGAIN || error == EACCES) return 5;  // another run holds it: a sharing violation
    // A file system that keeps no locks: the file is used as it is.
    if (error == ENOLCK || error == EINVAL || error == EOPNOTSUPP) return 0;
    return MapErrno(error, Direction::Other);
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

bool IsTerminal(StandardStream which) { return posix::CallIsatty(static_cast<int>(StandardHandle(which))) != 0; }

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle) {
    *handle = kNoFile;
    // A file is emptied only once it was found writable and could be held
    // (below), so the create does not cut it on opening.
    int flags = O_RDWR | O_CLOEXEC;
    if (kind == OpenKind::CreateEmpty) flags |= O_CREAT;
    int fd = posix::CallOpen(name, flags, 0666);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT) return kind == OpenKind::CreateEmpty ? 3 : MissingFileOrFolder(name);
        if (error == ENXIO && IsSocket(name)) return 5;
        return MapErrno(error, Direction::Other);
    }
    off_t length = 0;
    std::uint16_t refusal = Admit(fd, kind == OpenKind::CreateEmpty, &length);
    if (refusal == 0 && kind == OpenKind::CreateEmpty && length != 0 && posix::CallFtruncate(fd, 0) != 0) {
        refusal = MapErrno(errno, Direction::Write);
    }
    if (refusal != 0) {
        posix::CallClose(fd);
        return refusal;
    }
    *handle = fd;
    return 0;
}

std::uint16_t ReadSome(FileHandle handle, void* buffer, std::size_t count, std::size_t* done) {
    *done = 0;
    ssize_t got = posix::CallRead(static_cast<int>(handle), buffer, count);
    if (got < 0) return MapErrno(errno, Direction::Read);
    *done = static_cast<std::size_t>(got);
    return 0;
}

std::uint16_t WriteAll(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    if (posix::CallWriteAll(static_cast<int>(handle), buffer, count, done) != 0) return MapErrno(errno, Direction::Write);
    return 0;
}

// A terminal shows the bytes in the code page its user chose, as names are.
std::uint16_t WriteTerminalText(FileHandle handle, const char* bytes, std::size_t count, std::size_t* done) {
    return WriteAll(handle, bytes, count, done);
}

bool CopySome(FileHandle from, FileHandle to, std::size_t count, std::size_t* done) {
    *done = 0;
    ssize_t moved = posix::CallCopyFileRange(static_cast<int>(from), static_cast<int>(to), count);
    if (moved < 0) return false;
    *done = static_cast<std::size_t>(moved);
    return true;
}

std::uint16_t Length(FileHandle handle, std::int64_t* length) {
    struct stat info;
    *length = 0;
    if (posix::CallFstat(static_cast<int>(handle), &info) != 0) return MapErrno(errno, Direction::Other);
    *length = static_cast<std::int64_t>(info.st_size);
    return 0;
}

std::uint16_t Close(FileHandle handle) {
    if (posix::CallClose(static_cast<int>(handle)) != 0) return MapErrno(errno, Direction::Write);
    return 0;
}

std::uint16_t CreateReplacement(const char* name, const char* replaced, FileHandle* handle) {
    *handle = kNoFile;
    struct stat model;
    if (posix::CallStat(replaced, &model) != 0) return MapErrno(errno, Direction::Other);
    mode_t bits = model.st_mode & 0777;
    int fd = posix::CallOpen(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, bits);
    if (fd < 0) return MapErrno(errno, Direction::Other);
    std::uint16_t error = 0;
    // Only the superuser may give a file away; its replacement of a user's
    // file must stay that user's.
    if (::geteuid() == 0 && posix::CallFchown(fd, model.st_uid, model.st_gid) != 0) {
        error = MapErrno(errno, Direction::Other);
    }
    // The creation mask may have narrowed the bits; the file keeps its own.
    if (error == 0 && posix::CallFchmod(fd, bits) != 0) error = MapErrno(errno, Direction::Other);
    off_t length = 0;
    if (error == 0) error = Admit(fd, true, &length);
    if (error != 0) {
        posix::CallClose(fd);
        posix::CallUnlink(name);
        return error;
    }
    *handle = fd;
    return 0;
}

std::uint16_t PutInPlace(const char* from, const char* to) {
    if (posix::CallRename(from, to) != 0) return MapErrno(errno, Direction::Other);
    return 0;
}

std::uint16_t Remove(const char* name) {
    if (posix::CallUnlink(name) != 0) return MapErrno(errno, Direction::Other);
    return 0;
}

const char* FolderSeparators() { return "/"; }

std::uint16_t FinalPath(const char* name, char* path, std::size_t capacity) {
    static_assert(PATH_MAX <= kPathBytes, "a resolved path fits the layer's path buffers");
    char resolved[PATH_MAX];
    if (posix::CallRealpath(name, resolved) == nullptr) return MapErrno(errno, Direction::Other);
    std::size_t length = std::strlen(resolved);
    if (length >= capacity) return 3;
    std::memcpy(path, resolved, length + 1);
    return 0;
}

bool IdentifyFile(const char* name, FileIdentity* identity) {
    struct stat info;
    if (posix::CallStat(name, &info) != 0) return false;
    identity->volume = static_cast<std::uint64_t>(info.st_dev);
    identity->index = static_cast<std::uint64_t>(info.st_ino);
    return true;
}

}  // namespace platform
