#include "system_calls.h"

#include <cstring>

#include "../seam.h"

namespace platform::wrapper {

void SetSystemError(int error) { SetLastError(static_cast<DWORD>(error)); }

// A Windows call is never cut short by a signal.
bool InterruptedBySignal() { return false; }

}  // namespace platform::wrapper

namespace platform::windows {

using fault::Call;
using wrapper::CloseEvenIfInjected;
using wrapper::RunUnlessInjected;
using wrapper::TransferAsAllowed;

namespace {

// Wine's DefineDosDevice builds the name it defines in a buffer of 15
// characters: room for "\\DosDevices\\" and a drive such as "A:". A longer
// name overruns that buffer and the frames above it, and a 32-bit program
// then returns to address 0. Such a name is not handed to it; Wine is known
// by ntdll's wine_get_version.
constexpr std::size_t kDriveNameLength = 2;

bool DefinesDriveNamesOnly() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// DefineDosDeviceA, found in kernel32.dll at its first use.
using DefineDosDeviceFunction = BOOL(WINAPI*)(DWORD, LPCSTR, LPCSTR);
DefineDosDeviceFunction defineDosDevice = nullptr;

// The most bytes handed to the system in one request: a request's count is
// 32-bit, and a block never comes near this.
constexpr std::size_t kLargestRequest = 0x40000000;
static_assert(kLargestRequest <= MAXDWORD);

DWORD RequestSize(std::size_t count) { return static_cast<DWORD>(count < kLargestRequest ? count : kLargestRequest); }

}  // namespace

HANDLE CallCreateFile(const wchar_t* name, DWORD creation) {
    // Read and write access; others may read the file meanwhile, not write it.
    return RunUnlessInjected(Call::Open, INVALID_HANDLE_VALUE, [&] {
        return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    });
}

BOOL CallReadFile(HANDLE handle, void* buffer, std::size_t count, DWORD* done) {
    *done = 0;
    return TransferAsAllowed(Call::Read, RequestSize(count), BOOL{FALSE}, [&](std::size_t allowed) {
        return ::ReadFile(handle, buffer, static_cast<DWORD>(allowed), done, nullptr);
    });
}

BOOL CallWriteFile(HANDLE handle, const void* buffer, std::size_t count, DWORD* done) {
    *done = 0;
    return TransferAsAllowed(Call::Write, RequestSize(count), BOOL{FALSE}, [&](std::size_t allowed) {
        return allowed == 0 || ::WriteFile(handle, buffer, static_cast<DWORD>(allowed), done, nullptr);
    });
}

BOOL CallCloseHandle(HANDLE handle) {
    return CloseEvenIfInjected(Call::Close, BOOL{FALSE}, [&] { return ::CloseHandle(handle); });
}

BOOL CallFileLength(HANDLE handle, LARGE_INTEGER* length) {
    return RunUnlessInjected(Call::Length, BOOL{FALSE}, [&] {
        LARGE_INTEGER nowhere{};
        LARGE_INTEGER position{};
        if (!SetFilePointerEx(handle, nowhere, &position, FILE_CURRENT)) return FALSE;
        if (!SetFilePointerEx(handle, nowhere, length, FILE_END)) return FALSE;
        return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
    });
}

DWORD CallGetFileAttributes(const wchar_t* name) {
    return RunUnlessInjected(Call::Status, INVALID_FILE_ATTRIBUTES, [&] { return GetFileAttributesW(name); });
}

BOOL CallMoveFileEx(const wchar_t* from, const wchar_t* to) {
    return RunUnlessInjected(Call::Rename, BOOL{FALSE}, [&] {
        // Written through: the rename reaches the disk before the call returns.
        return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
}

BOOL CallDeleteFile(const wchar_t* name) {
    return RunUnlessInjected(Call::Remove, BOOL{FALSE}, [&] { return DeleteFileW(name); });
}

BOOL CallFileInformation(const wchar_t* name, BY_HANDLE_FILE_INFORMATION* info) {
    return RunUnlessInjected(Call::Status, BOOL{FALSE}, [&] {
        HANDLE handle = CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return FALSE;
        // Only a file on a disk has an identity to compare.
        BOOL known = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, info);
        ::CloseHandle(handle);
        return known;
    });
}

BOOL CallHandleInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) {
    return RunUnlessInjected(Call::Length, BOOL{FALSE}, [&] { return GetFileInformationByHandle(handle, info); });
}

BOOL CallSetLength(HANDLE handle, LARGE_INTEGER length) {
    return RunUnlessInjected(Call::Truncate, BOOL{FALSE}, [&] {
        LARGE_INTEGER nowhere{};
        LARGE_INTEGER position{};
        if (!SetFilePointerEx(handle, nowhere, &position, FILE_CURRENT)) return FALSE;
        if (!SetFilePointerEx(handle, length, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
            DWORD error = GetLastError();
            SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
            SetLastError(error);
            return FALSE;
        }
        return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
    });
}

BOOL CallFlushFileBuffers(HANDLE handle) {
    return RunUnlessInjected(Call::Flush, BOOL{FALSE}, [&] { return FlushFileBuffers(handle); });
}

HANDLE CallFindFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* found) {
    return RunUnlessInjected(Call::List, INVALID_HANDLE_VALUE, [&] { return FindFirstFileW(pattern, found); });
}

BOOL CallFindNextFile(HANDLE search, WIN32_FIND_DATAW* found) {
    return RunUnlessInjected(Call::List, BOOL{FALSE}, [&] { return FindNextFileW(search, found); });
}

BOOL CallFindClose(HANDLE search) {
    return CloseEvenIfInjected(Call::Close, BOOL{FALSE}, [&] { return ::FindClose(search); });
}

DWORD CallGetFileType(HANDLE handle) {
    return RunUnlessInjected(Call::Status, DWORD{FILE_TYPE_UNKNOWN}, [&] {
        SetLastError(NO_ERROR);  // an unknown type with no error is a type, not a failure
        return GetFileType(handle);
    });
}

BOOL CallGetConsoleMode(HANDLE handle, DWORD* mode) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] { return GetConsoleMode(handle, mode); });
}

UINT CallGetConsoleOutputCP() {
    return RunUnlessInjected(Call::Terminal, UINT{0}, [&] { return GetConsoleOutputCP(); });
}

BOOL CallSetConsoleOutputCP(UINT codePage) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] { return SetConsoleOutputCP(codePage); });
}

BOOL CallGetConsoleScreenBufferInfo(HANDLE screen, CONSOLE_SCREEN_BUFFER_INFO* info) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] { return GetConsoleScreenBufferInfo(screen, info); });
}

BOOL CallSetConsoleCursorPosition(HANDLE screen, COORD cell) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] { return SetConsoleCursorPosition(screen, cell); });
}

BOOL CallWriteConsoleOutputCharacter(HANDLE screen, const char* bytes, DWORD count, COORD cell, DWORD* done) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return WriteConsoleOutputCharacterA(screen, bytes, count, cell, done); });
}

BOOL CallWriteConsoleOutputAttribute(HANDLE screen, const WORD* colours, DWORD count, COORD cell, DWORD* done) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return WriteConsoleOutputAttribute(screen, colours, count, cell, done); });
}

BOOL CallFillConsoleOutputCharacter(HANDLE screen, char byte, DWORD count, COORD cell, DWORD* done) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return FillConsoleOutputCharacterA(screen, byte, count, cell, done); });
}

BOOL CallFillConsoleOutputAttribute(HANDLE screen, WORD colour, DWORD count, COORD cell, DWORD* done) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return FillConsoleOutputAttribute(screen, colour, count, cell, done); });
}

BOOL CallScrollConsoleScreenBuffer(HANDLE screen, const SMALL_RECT* moved, const SMALL_RECT* clip, COORD destination,
                                   const CHAR_INFO* fill) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return ScrollConsoleScreenBufferA(screen, moved, clip, destination, fill); });
}

BOOL CallWriteConsole(HANDLE screen, const wchar_t* characters, DWORD count) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] {
        while (count > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(screen, characters, count, &written, nullptr)) return FALSE;
            if (written == 0) {
                SetLastError(ERROR_WRITE_FAULT);
                return FALSE;
            }
            characters += written;
            count -= written;
        }
        return TRUE;
    });
}

BOOL CallGetNumberOfConsoleInputEvents(HANDLE keyboard, DWORD* pending) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return GetNumberOfConsoleInputEvents(keyboard, pending); });
}

BOOL CallReadConsoleInput(HANDLE keyboard, INPUT_RECORD* records, DWORD count, DWORD* got) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return ReadConsoleInputW(keyboard, records, count, got); });
}

BOOL CallPeekConsoleInput(HANDLE keyboard, INPUT_RECORD* records, DWORD count, DWORD* seen) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE},
                             [&] { return PeekConsoleInputW(keyboard, records, count, seen); });
}

BOOL CallDefineDosDevice(DWORD flags, const char* name, const char* target) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] {
        if (std::strlen(name) > kDriveNameLength && DefinesDriveNamesOnly()) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        if (defineDosDevice == nullptr) {
            HMODULE kernel = GetModuleHandleA("kernel32.dll");
            if (kernel == nullptr) return FALSE;
            // Through the plain function type, which matches every other.
            auto found = reinterpret_cast<void (*)()>(GetProcAddress(kernel, "DefineDosDeviceA"));
            defineDosDevice = reinterpret_cast<DefineDosDeviceFunction>(found);
            if (defineDosDevice == nullptr) return FALSE;
        }
        return defineDosDevice(flags, name, target);
    });
}

HANDLE CallOpenDevice(const char* path) {
    return RunUnlessInjected(Call::Terminal, INVALID_HANDLE_VALUE, [&] {
        return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    });
}

BOOL CallDeviceIoControl(HANDLE device, DWORD request, void* input, DWORD inputSize) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] {
        DWORD returned = 0;
        return DeviceIoControl(device, request, input, inputSize, nullptr, 0, &returned, nullptr);
    });
}

BOOL CallCloseDevice(HANDLE device) {
    return CloseEvenIfInjected(Call::Terminal, BOOL{FALSE}, [&] { return ::CloseHandle(device); });
}

BOOL CallBeep(DWORD hz, DWORD ms) {
    return RunUnlessInjected(Call::Terminal, BOOL{FALSE}, [&] { return Beep(hz, ms); });
}

DWORD CallGetModuleFileName(char* path, DWORD size) {
    return RunUnlessInjected(Call::Resolve, DWORD{0}, [&] { return GetModuleFileNameA(nullptr, path, size); });
}

}  // namespace platform::windows
