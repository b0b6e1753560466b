// Files on Windows: names converted from the ANSI code page, opened with
// read and write access, moved with one request per block, and the system's
// error codes mapped onto the layer's numbers.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "../platform.h"
#include "error_mapping.h"
#include "../system_calls/windows/system_calls.h"

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

using errors::kAccessDenied;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Whether the text at `at` is `word` (lower case) in any letter case.
bool StartsWithWord(const wchar_t* at, const wchar_t* word) {
    for (; *word != L'\0'; ++at, ++word) {
        if (Lower(*at) != *word) return false;
    }
    return true;
}

// A named pipe here or on another machine ("\\.\pipe\x", "\\server\pipe\x"),
// told by its name alone: opening it, even only to identify it, would
// connect to it and use up the server's instance, or wait for one.
bool NamesAPipe(const wchar_t* name) {
    if (!IsSeparator(name[0]) || !IsSeparator(name[1])) return false;
    const wchar_t* at = name + 2;
    while (*at != L'\0' && !IsSeparator(*at)) ++at;  // the machine, "." or "?"
    if (*at == L'\0') return false;
    ++at;
    return StartsWithWord(at, L"pipe") && IsSeparator(at[4]);
}

// The null device ("NUL", "c:\x\nul.txt", "\\.\NUL"): the one character
// device that behaves like a file, taking every write and reading as empty.
bool NamesTheNullDevice(const wchar_t* name) {
    const wchar_t* last = name;
    for (const wchar_t* at = name; *at != L'\0'; ++at) {
        if (IsSeparator(*at) || *at == L':') last = at + 1;
    }
    if (!StartsWithWord(last, L"nul")) return false;
    const wchar_t* rest = last + 3;
    while (*rest == L' ') ++rest;
    return *rest == L'\0' || *rest == L'.' || *rest == L':';
}

// An opened name that is a file on a disk, or the null device; anything
// else (a pipe, a console, a serial port) would wait for a writer or a
// typist, or take bytes that no file keeps. 0, or the number to fail with.
std::uint16_t RefusedUnlessFile(HANDLE opened, const wchar_t* name) {
    DWORD type = windows::CallGetFileType(opened);
    if (type == FILE_TYPE_DISK) return 0;
    if (type == FILE_TYPE_CHAR && NamesTheNullDevice(name)) return 0;
    if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return MapSystemError(GetLastError());
    return kAccessDenied;
}

// A handle is a pointer, 32 or 64 bits wide; the layer's file handle holds
// either, and file lengths stay 64-bit on both.
static_assert(sizeof(FileHandle) == sizeof(HANDLE));
static_assert(sizeof(LARGE_INTEGER::QuadPart) == sizeof(std::int64_t));
HANDLE AsHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// What the opening learns of a disk file from its handle (`created` is set
// by the caller); a device has no identity to compare.
std::uint16_t Learn(HANDLE opened, DWORD attributes, FileFacts* facts) {
    if (windows::CallGetFileType(opened) != FILE_TYPE_DISK) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (!windows::CallHandleInformation(opened, &info)) return MapSystemError(GetLastError());
    facts->identity = IdentityOf(info);
    bool reparsed = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts->otherNames = info.nNumberOfLinks > 1 || reparsed;
    return 0;
}

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

std::uint16_t Open(const char* name, OpenKind kind, FileHandle* handle, FileFacts* facts) {
    *handle = kNoFile;
    *facts = FileFacts{};
    WideName wide;
    if (std::uint16_t error = ToWide(name, &wide); error != 0) return error;
    if (NamesAPipe(wide.units)) return kAccessDenied;
    // Windows refuses write access to a read-only file, whoever asks; Wine
    // run by the superuser would grant it.
    DWORD attributes = windows::CallGetFileAttributes(wide.units);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return MapSystemError(ERROR_ACCESS_DENIED);
    }
    // Nothing is cut on opening: the caller empties the file once it may.
    HANDLE opened = windows::CallCreateFile(wide.units, kind == OpenKind::Create ? OPEN_ALWAYS : OPEN_EXISTING);
    if (opened == INVALID_HANDLE_VALUE) return MapSystemError(GetLastError());
    facts->created = kind == OpenKind::Create && GetLastError() != ERROR_ALREADY_EXISTS;
    std::uint16_t refused = RefusedUnlessFile(opened, wide.units);
    if (refused == 0) refused = Learn(opened, attributes, facts);
    if (refused != 0) {
        windows::CallCloseHandle(opened);
        return refused;
    }
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

std::uint16_t WriteSome(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    DWORD took = 0;
    BOOL written = windows::CallWriteFile(AsHandle(handle), buffer, count, &took);
    *done = took;
    if (!written) return MapSystemError(GetLastError());
    return 0;
}

// The console shows its own code page (the OEM one, as a rule), while
// names and texts are ANSI bytes: they go to it as the characters they are.
// A text is converted in pieces of the stream buffer's size.
constexpr int kTerminalPieceBytes = 256;

std::uint16_t WriteTerminalText(FileHandle handle, const char* bytes, std::size_t count, std::size_t* done) {
    *done = 0;
    while (*done < count) {
        std::size_t left = count - *done;
        int take = left < kTerminalPieceBytes ? static_cast<int>(left) : kTerminalPieceBytes;
        wchar_t characters[kTerminalPieceBytes];
        int made = MultiByteToWideChar(CP_ACP, 0, bytes + *done, take, characters, kTerminalPieceBytes);
        if (made == 0) return MapSystemError(GetLastError());
        if (!windows::CallWriteConsole(AsHandle(handle), characters, static_cast<DWORD>(made))) {
            return MapSystemError(GetLastError());
        }
        *done += static_cast<std::size_t>(take);
    }
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

std::uint16_t SetLength(FileHandle handle, std::int64_t length) {
    LARGE_INTEGER size{};
    size.QuadPart = length;
    if (!windows::CallSetLength(AsHandle(handle), size)) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t Flush(FileHandle handle) {
    if (!windows::CallFlushFileBuffers(AsHandle(handle))) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t Close(FileHandle handle) {
    if (!windows::CallCloseHandle(AsHandle(handle))) return MapSystemError(GetLastError());
    return 0;
}

std::uint16_t CreateReplacement(const char* name, const char* replaced, FileHandle* handle, ReplacementWay* way) {
    *handle = kNoFile;
    WideName wide, model;
    if (std::uint16_t error = ToWide(name, &wide); error != 0) return error;
    if (std::uint16_t error = ToWide(replaced, &model); error != 0) return error;
    BY_HANDLE_FILE_INFORMATION info;
    if (!windows::CallFileInformation(model.units, &info)) return MapSystemError(GetLastError());
    // A file of several names keeps them all only when it is written over.
    *way = info.nNumberOfLinks > 1 ? ReplacementWay::CopyOver : ReplacementWay::Rename;
    // A new file takes the folder's usual permissions; a taken name fails
    // with the system's "file exists", which the layer keeps as it is.
    HANDLE created = windows::CallCreateFile(wide.units, CREATE_NEW);
    if (created == INVALID_HANDLE_VALUE) return MapSystemError(GetLastError());
    *handle = reinterpret_cast<FileHandle>(created);
    return 0;
}

std::uint16_t PutInPlace(const char* from, const char* to, const FileIdentity& expected) {
    WideName source, target;
    if (std::uint16_t error = ToWide(from, &source); error != 0) return error;
    if (std::uint16_t error = ToWide(to, &target); error != 0) return error;
    // Another file of that name is left as it is. A file another run has
    // open is held by the system's sharing rule: no run lets another delete
    // what it has open, so the rename below then fails.
    BY_HANDLE_FILE_INFORMATION info;
    if (!windows::CallFileInformation(target.units, &info)) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? kAccessDenied : MapSystemError(error);  // gone: not the file read
    }
    if (!(IdentityOf(info) == expected)) return kAccessDenied;
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
    if (length >= capacity) return errors::kPathNotFound;
    std::memcpy(path, name, length + 1);
    return 0;
}

bool IdentifyFile(const char* name, FileIdentity* identity) {
    WideName wide;
    if (ToWide(name, &wide) != 0 || NamesAPipe(wide.units)) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!windows::CallFileInformation(wide.units, &info)) return false;
    *identity = IdentityOf(info);
    return true;
}

const char* FolderSeparators() { return "/\\:"; }

bool NamesIgnoreLetterCase() { return true; }

std::uint16_t ListFolder(const char* folder, FolderVisitor visit, void* context) {
    WideName pattern;
    if (std::uint16_t error = ToWide(folder, &pattern); error != 0) return error;
    std::size_t length = std::wcslen(pattern.units);
    bool ended = length == 0 || IsSeparator(pattern.units[length - 1]) || pattern.units[length - 1] == L':';
    if (length + 3 > static_cast<std::size_t>(kWideNameUnits)) return errors::kPathNotFound;
    std::wcscpy(pattern.units + length, ended ? L"*" : L"\\*");
    WIN32_FIND_DATAW found;
    HANDLE search = windows::CallFindFirstFile(pattern.units, &found);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : MapSystemError(error);
    }
    std::uint16_t error = 0;
    for (bool going = true; going;) {
        // A name the ANSI code page cannot hold gets a "?", which no name
        // the tools are given can match.
        char name[MAX_PATH * 2];
        if (WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, nullptr, nullptr) != 0 &&
            std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            going = visit(name, context);
        }
        if (going && !windows::CallFindNextFile(search, &found)) {
            if (GetLastError() != ERROR_NO_MORE_FILES) error = MapSystemError(GetLastError());
            going = false;
        }
    }
    windows::CallFindClose(search);
    return error;
}

}  // namespace platform
