// Left direct, as they cannot fail or do no I/O: GetStdHandle, GetCommandLineA, GetCommandLineW, GetACP,
// MultiByteToWideChar, WideCharToMultiByte, Sleep, GetTickCount, GetCurrentProcessId, GetModuleHandleA, GetProcAddress,
// SetErrorMode, SetThreadStackGuarantee, SetUnhandledExceptionFilter, VirtualQuery (the fault filter's look at the
// stack), SetConsoleCtrlHandler, DuplicateHandle and SuspendThread (the console event handler), the critical section
// that keeps it waiting, ExitProcess.
//
// Every other file, console and process call of the Windows backend goes
// through these wrappers, in the one idiom of seam.h: in a test program each
// asks the fault seam before calling the system, and a disturbed call fails
// with the injected code as the thread's last error, as the system's own
// failures do.
#pragma once

#include <windows.h>

#include <cstddef>

namespace platform::windows {

HANDLE CallCreateFile(const wchar_t* name, DWORD creation);
// One read request (of at most 1 GiB).
BOOL CallReadFile(HANDLE handle, void* buffer, std::size_t count, DWORD* done);
// One write request (of at most 1 GiB).
BOOL CallWriteFile(HANDLE handle, const void* buffer, std::size_t count, DWORD* done);
BOOL CallCloseHandle(HANDLE handle);
// The length through the file pointer: the position is saved, the end
// found and the position put back.
BOOL CallFileLength(HANDLE handle, LARGE_INTEGER* length);
DWORD CallGetFileAttributes(const wchar_t* name);
BOOL CallMoveFileEx(const wchar_t* from, const wchar_t* to);
BOOL CallDeleteFile(const wchar_t* name);
// The volume and index of the file a name reaches, read without asking for
// any access and allowing every sharing.
BOOL CallFileInformation(const wchar_t* name, BY_HANDLE_FILE_INFORMATION* info);
// The volume, index and link count of an open file, counted as its length is.
BOOL CallHandleInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info);
// Makes the open file `length` bytes long; the file pointer is put back.
BOOL CallSetLength(HANDLE handle, LARGE_INTEGER length);
BOOL CallFlushFileBuffers(HANDLE handle);
// A folder's entries: the first one matching the pattern, the next ones, the end.
HANDLE CallFindFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* found);
BOOL CallFindNextFile(HANDLE search, WIN32_FIND_DATAW* found);
BOOL CallFindClose(HANDLE search);
// What an open handle reaches: a disk file, a character device, a pipe;
// FILE_TYPE_UNKNOWN with the thread's last error set on failure.
DWORD CallGetFileType(HANDLE handle);

// The console: its modes, code page, screen buffer and input events.
BOOL CallGetConsoleMode(HANDLE handle, DWORD* mode);
UINT CallGetConsoleOutputCP();
BOOL CallSetConsoleOutputCP(UINT codePage);
BOOL CallGetConsoleScreenBufferInfo(HANDLE screen, CONSOLE_SCREEN_BUFFER_INFO* info);
BOOL CallSetConsoleCursorPosition(HANDLE screen, COORD cell);
BOOL CallWriteConsoleOutputCharacter(HANDLE screen, const char* bytes, DWORD count, COORD cell, DWORD* done);
BOOL CallWriteConsoleOutputAttribute(HANDLE screen, const WORD* colours, DWORD count, COORD cell, DWORD* done);
BOOL CallFillConsoleOutputCharacter(HANDLE screen, char byte, DWORD count, COORD cell, DWORD* done);
BOOL CallFillConsoleOutputAttribute(HANDLE screen, WORD colour, DWORD count, COORD cell, DWORD* done);
BOOL CallScrollConsoleScreenBuffer(HANDLE screen, const SMALL_RECT* moved, const SMALL_RECT* clip, COORD destination,
                                   const CHAR_INFO* fill);
// Writes all count characters at the console's cursor.
BOOL CallWriteConsole(HANDLE screen, const wchar_t* characters, DWORD count);
BOOL CallGetNumberOfConsoleInputEvents(HANDLE keyboard, DWORD* pending);
// Key events carry their characters in Unicode.
BOOL CallReadConsoleInput(HANDLE keyboard, INPUT_RECORD* records, DWORD count, DWORD* got);
BOOL CallPeekConsoleInput(HANDLE keyboard, INPUT_RECORD* records, DWORD count, DWORD* seen);

// The beep device and the system beep, counted with the console. The device
// is opened for writing, shared with everyone; DefineDosDeviceA is looked
// up in kernel32.dll, and its absence is a failure, as is a name longer than
// a drive's where the system's definition holds drive names only (Wine).
BOOL CallDefineDosDevice(DWORD flags, const char* name, const char* target);
HANDLE CallOpenDevice(const char* path);
BOOL CallDeviceIoControl(HANDLE device, DWORD request, void* input, DWORD inputSize);
BOOL CallCloseDevice(HANDLE device);
BOOL CallBeep(DWORD hz, DWORD ms);

// The program file's path, counted as a resolved name; 0 on failure.
DWORD CallGetModuleFileName(char* path, DWORD size);

}  // namespace platform::windows
