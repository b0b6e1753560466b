// Every file call of the Windows backend goes through these wrappers, which
// consult the fault-injection seam before calling the system. A disturbed
// call fails with the injected code as the thread's last error, as the
// system's own failures do.
#pragma once

#include <windows.h>

namespace platform::windows {

HANDLE CallCreateFile(const wchar_t* name, DWORD creation);
BOOL CallReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* done);
BOOL CallWriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* done);
BOOL CallCloseHandle(HANDLE handle);
// The length through the file pointer: the position is saved, the end
// found and the position put back.
BOOL CallFileLength(HANDLE handle, LARGE_INTEGER* length);

}  // namespace platform::windows
