#include "system_calls.h"

#include "../fault_injection.h"

namespace platform::windows {
namespace {

using fault::Call;

// What the fault seam asks of one call, if anything.
struct Disturbance {
    int error = 0;
    std::size_t takeAtMost = 0;
};

bool Disturbed(Call call, Disturbance* how) { return fault::Disturb(call, &how->error, &how->takeAtMost); }

// Whether the seam fails this call; if so, the injected code is the thread's
// last error, as after the system's own failure.
bool Failed(Call call) {
    Disturbance how;
    if (!Disturbed(call, &how)) return false;
    SetLastError(static_cast<DWORD>(how.error));
    return true;
}

// The most bytes handed to the system in one request: a request's count is
// 32-bit, and a block never comes near this.
constexpr std::size_t kLargestRequest = 0x40000000;

DWORD RequestSize(std::size_t count) { return static_cast<DWORD>(count < kLargestRequest ? count : kLargestRequest); }

DWORD Limited(DWORD count, std::size_t takeAtMost) {
    return takeAtMost < count ? static_cast<DWORD>(takeAtMost) : count;
}

}  // namespace

HANDLE CallCreateFile(const wchar_t* name, DWORD creation) {
    if (Failed(Call::Open)) return INVALID_HANDLE_VALUE;
    // Read and write access; others may read the file meanwhile, not write it.
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

BOOL CallReadFile(HANDLE handle, void* buffer, std::size_t size, DWORD* done) {
    DWORD count = RequestSize(size);
    Disturbance how;
    if (Disturbed(Call::Read, &how)) {
        if (how.error != 0) {
            *done = 0;
            SetLastError(static_cast<DWORD>(how.error));
            return FALSE;
        }
        count = Limited(count, how.takeAtMost);
    }
    return ::ReadFile(handle, buffer, count, done, nullptr);
}

BOOL CallWriteAll(HANDLE handle, const void* buffer, std::size_t count, std::size_t* done) {
    const char* bytes = static_cast<const char*>(buffer);
    *done = 0;
    while (*done < count) {
        DWORD request = RequestSize(count - *done);
        DWORD took = 0;
        Disturbance how;
        if (Disturbed(Call::Write, &how)) {
            if (how.error != 0) {
                SetLastError(static_cast<DWORD>(how.error));
                return FALSE;
            }
            request = Limited(request, how.takeAtMost);
        }
        if (request != 0 && !::WriteFile(handle, bytes + *done, request, &took, nullptr)) {
            *done += took;
            return FALSE;
        }
        if (took == 0) {  // the system takes nothing more: the medium is full
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        *done += took;
    }
    return TRUE;
}

BOOL CallCloseHandle(HANDLE handle) {
    Disturbance how;
    if (Disturbed(Call::Close, &how)) {
        ::CloseHandle(handle);  // the handle is gone either way, as after a real failed close
        SetLastError(static_cast<DWORD>(how.error));
        return FALSE;
    }
    return ::CloseHandle(handle);
}

BOOL CallFileLength(HANDLE handle, LARGE_INTEGER* length) {
    if (Failed(Call::Length)) return FALSE;
    LARGE_INTEGER nowhere{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(handle, nowhere, &position, FILE_CURRENT)) return FALSE;
    if (!SetFilePointerEx(handle, nowhere, length, FILE_END)) return FALSE;
    return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
}

DWORD CallGetFileAttributes(const wchar_t* name) {
    if (Failed(Call::Status)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(name);
}

BOOL CallMoveFileEx(const wchar_t* from, const wchar_t* to) {
    if (Failed(Call::Rename)) return FALSE;
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING);
}

BOOL CallDeleteFile(const wchar_t* name) {
    if (Failed(Call::Remove)) return FALSE;
    return DeleteFileW(name);
}

BOOL CallFileInformation(const wchar_t* name, BY_HANDLE_FILE_INFORMATION* info) {
    if (Failed(Call::Status)) return FALSE;
    HANDLE handle = CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FALSE;
    BOOL known = GetFileInformationByHandle(handle, info);
    ::CloseHandle(handle);
    return known;
}

}  // namespace platform::windows
