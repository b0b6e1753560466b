// The tone: the PC speaker where Linux lets us reach it (the console's sound
// request, or the speaker's input device), else the terminal's bell.
#include <fcntl.h>
#include <linux/input.h>
#include <linux/kd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "../console_device.h"
#include "../../platform.h"
#include "../../system_calls/posix/system_calls.h"
#include "terminal.h"
#include "../../ascii.h"

namespace platform {
namespace {

// The speaker's timer runs at this rate; the console's sound request takes
// the tone's period in its ticks.
constexpr unsigned long kSpeakerTimerHz = 1193180;

// Input devices looked at for one that plays tones: /dev/input/event0 ...
constexpr int kInputDevicesTried = 32;

using ascii::kBell;

enum class ToneWay : int { NotLooked, ConsoleSound, SpeakerDevice, Bell };

volatile sig_atomic_t way = static_cast<int>(ToneWay::NotLooked);
volatile sig_atomic_t toneHandle = -1;

bool PlaysTones(int handle) {
    unsigned long kinds = 0;
    unsigned long sounds = 0;
    return posix::CallIoctl(handle, EVIOCGBIT(0, sizeof kinds), reinterpret_cast<std::uintptr_t>(&kinds)) >= 0 &&
           (kinds & (1ul << EV_SND)) != 0 &&
           posix::CallIoctl(handle, EVIOCGBIT(EV_SND, sizeof sounds), reinterpret_cast<std::uintptr_t>(&sounds)) >= 0 &&
           (sounds & (1ul << SND_TONE)) != 0;
}

int OpenSpeakerDevice() {
    int handle = posix::CallOpen("/dev/input/by-path/platform-pcspkr-event-spkr", O_WRONLY | O_CLOEXEC, 0);
    if (handle >= 0) return handle;
    for (int n = 0; n < kInputDevicesTried; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/dev/input/event%d", n);
        handle = posix::CallOpen(name, O_WRONLY | O_CLOEXEC, 0);
        if (handle < 0) continue;
        if (PlaysTones(handle)) return handle;
        posix::CallClose(handle);
    }
    return -1;
}

void FindWay() {
    // The console's own request works on a Linux virtual console.
    static const int kTerminals[] = {STDOUT_FILENO, STDERR_FILENO, STDIN_FILENO};
    for (int handle : kTerminals) {
        if (posix::CallIsatty(handle) != 0 && posix::CallIoctl(handle, KIOCSOUND, 0) == 0) {
            toneHandle = handle;
            way = static_cast<int>(ToneWay::ConsoleSound);
            return;
        }
    }
    int handle = OpenSpeakerDevice();
    if (handle >= 0) {
        toneHandle = handle;
        way = static_cast<int>(ToneWay::SpeakerDevice);
        return;
    }
    way = static_cast<int>(ToneWay::Bell);
}

void SendSpeaker(int hz) {
    struct input_event event {};
    event.type = EV_SND;
    event.code = SND_TONE;
    event.value = hz;
    std::size_t done = 0;
    platform::WriteAll(toneHandle, &event, sizeof event,
                       &done);  // a tone that does not sound is no failure of the tool
}

void RingBell() {
    static const int kScreens[] = {STDOUT_FILENO, STDERR_FILENO};
    for (int handle : kScreens) {
        if (posix::CallIsatty(handle) != 0) {
            std::size_t done = 0;
            platform::WriteAll(handle, &kBell, 1, &done);
            return;
        }
    }
}

}  // namespace

namespace terminal {

void SilenceTone() {
    if (way == static_cast<int>(ToneWay::ConsoleSound)) posix::CallIoctl(toneHandle, KIOCSOUND, 0);
    if (way == static_cast<int>(ToneWay::SpeakerDevice)) SendSpeaker(0);
}

}  // namespace terminal

namespace console {

void StartTone(std::uint16_t hz) {
    if (way == static_cast<int>(ToneWay::NotLooked)) FindWay();
    if (hz == 0) {
        terminal::SilenceTone();
        return;
    }
    switch (static_cast<ToneWay>(static_cast<int>(way))) {
        case ToneWay::ConsoleSound: posix::CallIoctl(toneHandle, KIOCSOUND, kSpeakerTimerHz / hz); break;
        case ToneWay::SpeakerDevice: SendSpeaker(hz); break;
        default: RingBell(); break;
    }
}

void StopTone() { terminal::SilenceTone(); }

}  // namespace console
}  // namespace platform
