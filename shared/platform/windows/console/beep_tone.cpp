// The tone through the system's beep device: its name defined with
// DefineDosDeviceA (looked up in kernel32.dll), the device opened once and
// sent set requests that sound until the next one. Where the device cannot
// be reached, each tone is the system beep, timed.
#include <windows.h>

#include "../../console_device.h"
#include "console.h"

namespace platform {
namespace {

using DefineDosDeviceFunction = BOOL(WINAPI*)(DWORD, LPCSTR, LPCSTR);

constexpr char kDeviceName[] = "DosBeep";
constexpr char kDeviceTarget[] = "\\Device\\Beep";
constexpr char kDevicePath[] = "\\\\.\\DosBeep";

// The beep device's set request and its parameters.
constexpr DWORD kBeepSetRequest = 0x10000;
struct BeepSetting {
    ULONG frequency;
    ULONG duration;
};
constexpr ULONG kUntilNextRequest = 0xFFFFFFFF;

// A timed beep stands for a tone where the device is out of reach.
constexpr DWORD kFallbackBeepMs = 1000;

enum class Beeper { NotOpened, Open, Unavailable };

Beeper beeper = Beeper::NotOpened;
HANDLE device = INVALID_HANDLE_VALUE;
DefineDosDeviceFunction defineDosDevice = nullptr;

void RemoveName() {
    defineDosDevice(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, kDeviceName,
                    kDeviceTarget);
}

void OpenBeeper() {
    beeper = Beeper::Unavailable;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    // Through the plain function type, which matches every other.
    auto found = reinterpret_cast<void (*)()>(GetProcAddress(kernel, "DefineDosDeviceA"));
    defineDosDevice = reinterpret_cast<DefineDosDeviceFunction>(found);
    if (defineDosDevice == nullptr || !defineDosDevice(DDD_RAW_TARGET_PATH, kDeviceName, kDeviceTarget)) return;
    device = CreateFileA(kDevicePath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        RemoveName();  // a name that leads nowhere is not left behind
        return;
    }
    beeper = Beeper::Open;
}

void Send(ULONG hz, ULONG duration) {
    BeepSetting setting{hz, duration};
    DWORD returned = 0;
    DeviceIoControl(device, kBeepSetRequest, &setting, sizeof setting, nullptr, 0, &returned, nullptr);
}

}  // namespace

namespace windows {

void ReleaseBeeper() {
    if (beeper != Beeper::Open) return;
    Send(0, 0);
    CloseHandle(device);
    device = INVALID_HANDLE_VALUE;
    RemoveName();
    beeper = Beeper::NotOpened;
}

}  // namespace windows

namespace console {

void StartTone(std::uint16_t hz) {
    if (beeper == Beeper::NotOpened) OpenBeeper();
    if (beeper == Beeper::Open) {
        Send(hz, kUntilNextRequest);
    } else {
        Beep(hz, kFallbackBeepMs);
    }
}

void StopTone() {
    if (beeper == Beeper::Open) Send(0, 0);
}

}  // namespace console
}  // namespace platform
