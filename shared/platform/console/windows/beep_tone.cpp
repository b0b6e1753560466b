// The tone through the system's beep device: its name defined, the device
// opened once and sent set requests that sound until the next one. Where the
// device cannot be reached, each tone is the system beep, timed.
#include <windows.h>

#include "../console_device.h"
#include "../../system_calls/windows/system_calls.h"
#include "console.h"

namespace platform {
namespace {

constexpr char kDeviceName[] = "DosBeep";
constexpr char kDeviceTarget[] = "\\Device\\Beep";
constexpr char kDevicePath[] = "\\\\.\\DosBeep";

// The beep device's set request and its parameters.
constexpr DWORD kBeepSetRequest = 0x10000;
struct BeepSetting {
    ULONG frequency;
    ULONG duration;
};
static_assert(sizeof(BeepSetting) == 8, "the device takes two 32-bit numbers, 32-bit or 64-bit program alike");
constexpr ULONG kUntilNextRequest = 0xFFFFFFFF;

// A timed beep stands for a tone where the device is out of reach.
constexpr DWORD kFallbackBeepMs = 1000;

enum class Beeper { NotOpened, Open, Unavailable };

Beeper beeper = Beeper::NotOpened;
HANDLE device = INVALID_HANDLE_VALUE;

void RemoveName() {
    windows::CallDefineDosDevice(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, kDeviceName,
                                 kDeviceTarget);
}

void OpenBeeper() {
    beeper = Beeper::Unavailable;
    if (!windows::CallDefineDosDevice(DDD_RAW_TARGET_PATH, kDeviceName, kDeviceTarget)) return;
    device = windows::CallOpenDevice(kDevicePath);
    if (device == INVALID_HANDLE_VALUE) {
        RemoveName();  // a name that leads nowhere is not left behind
        return;
    }
    beeper = Beeper::Open;
}

void Send(ULONG hz, ULONG duration) {
    BeepSetting setting{hz, duration};
    windows::CallDeviceIoControl(device, kBeepSetRequest, &setting, sizeof setting);
}

}  // namespace

namespace windows {

void ReleaseBeeper() {
    if (beeper != Beeper::Open) return;
    Send(0, 0);
    CallCloseDevice(device);
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
        windows::CallBeep(hz, kFallbackBeepMs);
    }
}

void StopTone() {
    if (beeper == Beeper::Open) Send(0, 0);
}

}  // namespace console
}  // namespace platform
