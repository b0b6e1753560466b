// Files on Windows: names converted from the ANSI code page, opened with
// read and write access, moved with one request per block, and the system's
// error codes mapped onto the layer's numbers.
#include <windows.h>

#include <cstring>

#include "../platform.h"
#include "error_mapping.h"
#include "system_calls.h"

namespace platform {
namespace {

using windows::MapSystemError;

// A name of the layer's longest path becomes at most as many UTF-16 units
// (one per byte at most), the terminating zero included.
constexpr int kWideNameUnits = static_cast<int>(kPathBytes);

struct WideName {
    wchar_t units[kWideNameUnits];
};

// Gives 0, or the layer's number for a name that cannot be converted.
std::uint16_t ToWide(const char* name, WideName* wide) {
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide->units, kWideNameUnits) == 0) {
        return MapSystemError(GetLastError());
    }
    return 0;
}

// A handle is a pointer, 32 or 64 bits wide; the layer's file handle holds
// either, and file lengths stay 64-bit on both.
static_assert(sizeof(FileHandle) == sizeof(HANDLE));
static_assert(sizeof(LARGE_INTEGER::QuadPart) == sizeof(std::int64_t));
HANDLE AsHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

FileHandle StandardHandle(StandardStream which) {
    DWORD kind = STD_INPUT_HANDLE;
    if (which == StandardStream::Output) kind = STD_OUTPUT_HANDLE;
    if (which == StandardStream::Error) kind = STD_ERROR_HANDLE;
    return reinterpret_cast<FileHandle>(GetStdHandle(kind));
}

bool IsTerminal(StandardStream which) {
    DWORD mode = 0;
    return windows::CallGetConsoleMode(AsHandle(StandardHandle(which)), &mode) != 0;
}

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle) {
    *handle = kNoFile;
    WideName wide;
    if (std::uint16_t error = ToWide(name, &wide); error != 0) return error;
    // Windows refuses write access to a read-only file, whoever asks; Wine
    // run by the superuser would grant it, and cut the file on creation.
    DWORD attributes = windows::CallGetFileAttributes(wide.units);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return MapSystemError(ERROR_ACCESS_DENIED);
    }
    HANDLE opened = windows::CallCreateFile(wide.units, kind == OpenKind::CreateEmpty ? CREATE_ALWAYS : OPEN_EXISTING);
    if (opened == INVALID_HANDLE_VALUE) return MapSystemError(GetLastError());
    *handle = reinterpret_cast<FileHandle>(opened);
    return 0;
}

std::uint16_t ReadSome(FileHandle handle, void* buffer, std::size_t count, std::size_t* done) {
    *done = 0;
    DWORD got = 0;
    if (!windows::CallReadFile(AsHandle(handle), buffer, count, &got)) {
        DWORD error = GetLastError();
        if (error == windows::kBrokenPipe) return 0;  // the writer went away: end of data
        *done = got;
        return MapSystemError(error);
    }
    *done = got;
    return 0;
}

std::uint16_t WriteAll(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    if (!windows::CallWriteAll(AsHandle(handle), buffer, count, done)) return MapSystemError(GetLastError());
    return 0;
}

// The files are copied through the process here: reading and writing.
bool CopySome(FileHandle, FileHandle, std::size_t, std::size_t* done) {
    *done = 0;
    return false;
}

std::uint16_t Length(FileHandle handle, std::int64_t* length) {
    LARGE_INTEGER size{};
    *length = 0;
    if (!windows::CallFileLength(AsHandle(handle), &size)) return MapSystemError(GetLastError());
    *length = size.QuadPart;
    return 0;
}

std::uint16_t Close(FileHandle handle) {
    if (!windows::CallCloseHandle(AsHandle(handle))) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t CreateReplacement(const char* name, const char*, FileHandle* handle) {
    *handle = kNoFile;
    WideName wide;
    if (std::uint16_t error = ToWide(name, &wide); error != 0) return error;
    // A new file takes the folder's usual permissions; a taken name fails
    // with the system's "file exists", which the layer keeps as it is.
    HANDLE created = windows::CallCreateFile(wide.units, CREATE_NEW);
    if (created == INVALID_HANDLE_VALUE) return MapSystemError(GetLastError());
    *handle = reinterpret_cast<FileHandle>(created);
    return 0;
}

std::uint16_t PutInPlace(const char* from, const char* to) {
    WideName source, target;
    if (std::uint16_t error = ToWide(from, &source); error != 0) return error;
    if (std::uint16_t error = ToWide(to, &target); error != 0) return error;
    // One rename on the same volume: a reader sees the old file or the new one.
    if (!windows::CallMoveFileEx(source.units, target.units)) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t Remove(const char* name) {
    WideName wide;
    if (std::uint16_t error = ToWide(name, &wide); error != 0) return error;
    if (!windows::CallDeleteFile(wide.units)) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t FinalPath(const char* name, char* path, std::size_t capacity) {
    // The suite follows no links on Windows: the name is the file's path.
    std::size_t length = std::strlen(name);
    if (length >= capacity) return 3;
    std::memcpy(path, name, length + 1);
    return 0;
}

bool IdentifyFile(const char* name, FileIdentity* identity) {
    WideName wide;
    if (ToWide(name, &wide) != 0) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!windows::CallFileInformation(wide.units, &info)) return false;
    identity->volume = info.dwVolumeSerialNumber;
    identity->index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

const char* FolderSeparators() { return "/\\:"; }

}  // namespace platform
