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

DWORD Limited(DWORD count, std::size_t takeAtMost) {
    return takeAtMost < count ? static_cast<DWORD>(takeAtMost) : count;
}

}  // namespace

HANDLE CallCreateFile(const wchar_t* name, DWORD creation) {
    Disturbance how;
    if (Disturbed(Call::Open, &how)) {
        SetLastError(static_cast<DWORD>(how.error));
        return INVALID_HANDLE_VALUE;
    }
    // Read and write access; others may read the file meanwhile, not write it.
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

BOOL CallReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* done) {
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

BOOL CallWriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* done) {
    Disturbance how;
    if (Disturbed(Call::Write, &how)) {
        *done = 0;
        if (how.error != 0) {
            SetLastError(static_cast<DWORD>(how.error));
            return FALSE;
        }
        if (how.takeAtMost == 0) return TRUE;  // the system took nothing
        count = Limited(count, how.takeAtMost);
    }
    return ::WriteFile(handle, buffer, count, done, nullptr);
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
    Disturbance how;
    if (Disturbed(Call::Length, &how)) {
        SetLastError(static_cast<DWORD>(how.error));
        return FALSE;
    }
    LARGE_INTEGER nowhere{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(handle, nowhere, &position, FILE_CURRENT)) return FALSE;
    if (!SetFilePointerEx(handle, nowhere, length, FILE_END)) return FALSE;
    return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
}

}  // namespace platform::windows
