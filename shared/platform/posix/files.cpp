// Files on POSIX: open, read, write, length and close, with errno mapped onto
// the layer's numbers, and the sharing rule of the layer's open mode kept with
// locks among the suite's own runs.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "../platform.h"
#include "../system_calls/posix/system_calls.h"

namespace platform {
namespace {

using posix::Direction;
using posix::MapErrno;

// The folder part of a name ("." for a bare name), for the calls that need
// the folder itself; false when it cannot be held.
bool FolderOf(const char* name, char (&folder)[kPathBytes]) {
    const char* slash = std::strrchr(name, '/');
    if (slash == nullptr) {
        std::memcpy(folder, ".", 2);
        return true;
    }
    std::size_t length = slash == name ? 1 : static_cast<std::size_t>(slash - name);  // "/x": the root
    if (length >= kPathBytes) return false;
    std::memcpy(folder, name, length);
    folder[length] = '\0';
    return true;
}

// ENOENT names a missing file (2) only when the folder that should hold it
// exists; a missing folder on the way is "path not found" (3).
std::uint16_t MissingFileOrFolder(const char* name) {
    const char* slash = std::strrchr(name, '/');
    if (slash == nullptr || slash == name)
        return errors::kFileNotFound;  // the current folder and the root always exist
    char folder[kPathBytes];
    struct stat info;
    if (!FolderOf(name, folder) || posix::CallStat(folder, &info) != 0 || !S_ISDIR(info.st_mode))
        return errors::kPathNotFound;
    return errors::kFileNotFound;
}

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// A folder opened for its entries or its flush.
int OpenFolder(const char* folder) { return posix::CallOpen(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0); }

bool IsSocket(const char* name) {
    struct stat info;
    return posix::CallStat(name, &info) == 0 && S_ISSOCK(info.st_mode);
}

// Whether the open file may be reached by another name than `name`.
bool HasOtherNames(const char* name, const struct stat& info) {
    if (info.st_nlink > 1) return true;
    struct stat link;
    // A name that cannot be looked at again may be a link for all we know.
    return posix::CallLstat(name, &link) != 0 || S_ISLNK(link.st_mode);
}

// Decides whether a file just opened may be used, and holds it: shared for
// reading, or exclusively for writing. Fills in what the opening learns of
// the file (`created` is set by the caller). Gives 0 or the layer's number.
std::uint16_t Admit(int fd, const char* name, bool exclusive, FileFacts* facts) {
    struct stat info;
    if (posix::CallFstat(fd, &info) != 0) return MapErrno(errno, Direction::Other);
    facts->identity = IdentityOf(info);
    // A pipe opened for reading and writing holds its own writing end: a
    // read would wait for ever.
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return errors::kAccessDenied;
    if (!S_ISREG(info.st_mode)) return 0;  // a device: nothing to share or cut
    facts->otherNames = HasOtherNames(name, info);
    // A regular file without any write bit is read-only, whoever runs us:
    // the superuser's power to write it anyway must neither open nor empty
    // it. A file this opening made is its own, whatever the creation mask left.
    if (!facts->created && (info.st_mode & 0222) == 0) return errors::kAccessDenied;
    if (posix::CallLock(fd, exclusive ? F_WRLCK : F_RDLCK) == 0) return 0;
    int error = errno;
    if (error == EAGAIN || error == EACCES) return errors::kAccessDenied;  // another run holds it: a sharing violation
    // A file system that keeps no locks: the file is used as it is, and the
    // callers' identity checks stand alone.
    if (error == ENOLCK || error == EINVAL || error == EOPNOTSUPP) return 0;
    return MapErrno(error, Direction::Other);
}

// Opens name for reading and writing; for a Create, makes it when it is
// missing. A file made here is made exclusively (O_EXCL), so that the
// opening knows it is its own; a name taken meanwhile, or a symbolic link to
// a missing file, is then opened as any other name is.
int OpenFile(const char* name, OpenKind kind, bool* created) {
    *created = false;
    int fd = posix::CallOpen(name, O_RDWR | O_CLOEXEC, 0);
    if (fd >= 0 || errno != ENOENT || kind != OpenKind::Create) return fd;
    fd = posix::CallOpen(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *created = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = posix::CallOpen(name, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    return fd;
}

// Whether the file has extended attributes that a new file would not carry:
// any but the security labels, which the system gives a new file itself.
bool HasOwnAttributes(const char* name) {
    // Room for the names of a file's usual attributes; more is "some".
    constexpr std::size_t kAttributeNamesBytes = 4096;
    static char names[kAttributeNamesBytes];
    ssize_t length = posix::CallListXattr(name, names, sizeof names);
    if (length < 0) return errno == ERANGE;  // ENOTSUP: a file system that keeps none
    constexpr std::string_view kSecurityLabel = "security.";
    for (std::size_t at = 0; at < static_cast<std::size_t>(length); at += std::strlen(names + at) + 1) {
        if (std::string_view(names + at).substr(0, kSecurityLabel.size()) != kSecurityLabel) return true;
    }
    return false;
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

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle, FileFacts* facts) {
    *handle = kNoFile;
    *facts = FileFacts{};
    int fd = OpenFile(name, kind, &facts->created);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT) return kind == OpenKind::Create ? errors::kPathNotFound : MissingFileOrFolder(name);
        if (error == ENXIO && IsSocket(name)) return errors::kAccessDenied;
        return MapErrno(error, Direction::Other);
    }
    if (std::uint16_t refusal = Admit(fd, name, kind != OpenKind::Existing, facts); refusal != 0) {
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

std::uint16_t WriteSome(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    *done = 0;
    ssize_t took = posix::CallWrite(static_cast<int>(handle), buffer, count);
    if (took < 0) return MapErrno(errno, Direction::Write);
    *done = static_cast<std::size_t>(took);
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

std::uint16_t SetLength(FileHandle handle, std::int64_t length) {
    if (posix::CallFtruncate(static_cast<int>(handle), static_cast<off_t>(length)) != 0) {
        return MapErrno(errno, Direction::Write);
    }
    return 0;
}

std::uint16_t Flush(FileHandle handle) {
    if (posix::CallFsync(static_cast<int>(handle)) != 0) return MapErrno(errno, Direction::Write);
    return 0;
}

std::uint16_t Close(FileHandle handle) {
    if (posix::CallClose(static_cast<int>(handle)) != 0) return MapErrno(errno, Direction::Write);
    return 0;
}

std::uint16_t CreateReplacement(const char* name, const char* replaced, FileHandle* handle, ReplacementWay* way) {
    *handle = kNoFile;
    struct stat model;
    if (posix::CallStat(replaced, &model) != 0) return MapErrno(errno, Direction::Other);
    mode_t bits = model.st_mode & 0777;
    int fd = posix::CallOpen(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, bits);
    if (fd < 0) return MapErrno(errno, Direction::Other);
    std::uint16_t error = 0;
    bool ownerKept = model.st_uid == ::geteuid();
    bool groupKept = false;
    if (::geteuid() == 0) {
        // Only the superuser may give a file away; its replacement of a
        // user's file must stay that user's.
        if (posix::CallFchown(fd, model.st_uid, model.st_gid) != 0) error = MapErrno(errno, Direction::Other);
        ownerKept = groupKept = true;
    } else {
        // A member of the file's group may give the new file that group, so
        // that the others in it keep their access.
        groupKept = posix::CallFchown(fd, static_cast<uid_t>(-1), model.st_gid) == 0;
    }
    // The creation mask, or a change of group, may have narrowed the bits;
    // the file keeps its own.
    if (error == 0 && posix::CallFchmod(fd, bits) != 0) error = MapErrno(errno, Direction::Other);
    FileFacts facts;
    facts.created = true;
    if (error == 0) error = Admit(fd, name, true, &facts);
    if (error != 0) {
        posix::CallClose(fd);
        posix::CallUnlink(name);
        return error;
    }
    bool keepsWhatItHas = (ownerKept || groupKept) && model.st_nlink == 1 && !HasOwnAttributes(replaced);
    *way = keepsWhatItHas ? ReplacementWay::Rename : ReplacementWay::CopyOver;
    *handle = fd;
    return 0;
}

std::uint16_t PutInPlace(const char* from, const char* to, const FileIdentity& expected) {
    // Held exclusively from here to after the rename: a run that writes `to`
    // holds it, and then nothing of it is replaced.
    int fd = posix::CallOpen(to, O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return errno == ENOENT ? errors::kAccessDenied : MapErrno(errno, Direction::Other);
    FileFacts facts;
    std::uint16_t error = Admit(fd, to, true, &facts);
    if (error == 0 && !(facts.identity == expected)) error = errors::kAccessDenied;  // not the file that was read
    if (error == 0 && posix::CallRename(from, to) != 0) error = MapErrno(errno, Direction::Other);
    posix::CallClose(fd);
    if (error != 0) return error;
    // The rename itself reaches the medium only with its folder. The new
    // file is in place and whole whatever this gives, so a folder that
    // cannot be flushed (some file systems refuse) fails nothing.
    char folder[kPathBytes];
    if (FolderOf(to, folder)) {
        int folderFd = OpenFolder(folder);
        if (folderFd >= 0) {
            posix::CallFsync(folderFd);
            posix::CallClose(folderFd);
        }
    }
    return 0;
}

std::uint16_t Remove(const char* name) {
    if (posix::CallUnlink(name) != 0) return MapErrno(errno, Direction::Other);
    return 0;
}

const char* FolderSeparators() { return "/"; }

bool NamesIgnoreLetterCase() { return false; }

std::uint16_t ListFolder(const char* folder, FolderVisitor visit, void* context) {
    int fd = OpenFolder(folder);
    if (fd < 0) return errno == ENOENT ? errors::kPathNotFound : MapErrno(errno, Direction::Read);
    // Room for some hundred entries a request; a larger folder takes more requests.
    constexpr std::size_t kEntryBytes = 32768;
    alignas(struct dirent64) static char entries[kEntryBytes];
    std::uint16_t error = 0;
    bool going = true;
    while (going) {
        ssize_t got = posix::CallGetdents(fd, entries, sizeof entries);
        if (got <= 0) {
            if (got < 0) error = MapErrno(errno, Direction::Read);
            break;
        }
        for (ssize_t at = 0; going && at < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
            at += entry->d_reclen;
            std::string_view entryName = entry->d_name;
            if (entryName == "." || entryName == "..") continue;
            going = visit(entry->d_name, context);
        }
    }
    posix::CallClose(fd);
    return error;
}

std::uint16_t FinalPath(const char* name, char* path, std::size_t capacity) {
    static_assert(PATH_MAX <= kPathBytes, "a resolved path fits the layer's path buffers");
    char resolved[PATH_MAX];
    if (posix::CallRealpath(name, resolved) == nullptr) return MapErrno(errno, Direction::Other);
    std::size_t length = std::strlen(resolved);
    if (length >= capacity) return errors::kPathNotFound;
    std::memcpy(path, resolved, length + 1);
    return 0;
}

bool IdentifyFile(const char* name, FileIdentity* identity) {
    struct stat info;
    if (posix::CallStat(name, &info) != 0) return false;
    *identity = IdentityOf(info);
    return true;
}

}  // namespace platform
