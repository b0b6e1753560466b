// The window console flavour of the core: standard output is drawn into the
// window, standard input comes from the line editor.
#include <cstdlib>

#include "../core.h"
#include "../core/console_flavour.h"
#include "../platform/console/console_device.h"
#include "../window.h"
#include "window_console.h"

namespace {

// A tool that returns from its main procedure ends through exit(), which
// runs this; EndProgram and the report call ConsoleEnd themselves.
void EndAtExit() { ConsoleEnd(); }

}  // namespace

void ConsoleStart() {
    static bool endRegistered = false;
    window::ResetDrawing();
    window::ResetKeys();
    platform::console::StartDevice();
    if (!endRegistered) {
        endRegistered = true;
        std::atexit(EndAtExit);
    }
}

void ConsoleEnd() {
    window::WriteKeptText();
    platform::console::EndDevice();
}

// Drawing never fails: without a screen the text goes nowhere.
std::uint16_t ConsoleWrite(const char* bytes, std::size_t count) {
    window::Draw(bytes, count);
    return 0;
}

std::uint16_t ConsoleRefill(char* buffer, std::size_t capacity, std::size_t* got) {
    return window::EditLine(buffer, capacity, got);
}

void StartTone(std::uint16_t hz) { platform::console::StartTone(hz); }

void StopTone() { platform::console::StopTone(); }

void Pause(std::uint16_t ms) { platform::SleepMilliseconds(ms); }
