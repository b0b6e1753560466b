// The console's keyboard: key events as the console reports them, turned
// into the PC keyboard's codes. When standard input is no console (a file,
// a pipe) its bytes are the typed keys. The console's input mode stays as
// it was found, and no Ctrl+C handler is installed.
#include <windows.h>

#include "../console_device.h"
#include "../typed_keys.h"
#include "../../platform.h"
#include "../../system_calls/windows/system_calls.h"
#include "console.h"

namespace platform {
namespace {

// The console's records have one layout for 32-bit and 64-bit programs.
static_assert(sizeof(INPUT_RECORD) == 20 && sizeof(KEY_EVENT_RECORD) == 16);

HANDLE keyboard = INVALID_HANDLE_VALUE;
bool keyboardIsConsole = false;

bool IsModifier(WORD virtualKey) {
    switch (virtualKey) {
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_CAPITAL:
        case VK_NUMLOCK:
        case VK_SCROLL: return true;
        default: return false;
    }
}

// A typed character as a byte of the ANSI code page, the one the drawing
// shows bytes in, so that its echo looks like the key; a character that code
// page lacks is "?".
std::uint8_t AnsiCharacter(WCHAR typed) {
    if (typed < 0x80) return static_cast<std::uint8_t>(typed);
    char byte = 0;
    BOOL lost = FALSE;
    int made = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &typed, 1, &byte, 1, nullptr, &lost);
    return made == 1 && !lost ? static_cast<std::uint8_t>(byte) : '?';
}

console::KeyEvent EventOf(const INPUT_RECORD& record) {
    console::KeyEvent event;
    if (record.EventType != KEY_EVENT) return event;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    if (!key.bKeyDown) {
        if (key.wVirtualKeyCode == VK_MENU) event.kind = console::EventKind::AltReleased;
        return event;
    }
    if (IsModifier(key.wVirtualKeyCode)) {
        event.kind = console::EventKind::Modifier;
        return event;
    }
    DWORD state = key.dwControlKeyState;
    console::scan::Held held;
    held.shift = (state & SHIFT_PRESSED) != 0;
    held.ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    held.alt = (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0;
    auto scanCode = static_cast<std::uint8_t>(key.wVirtualScanCode);
    event.kind = console::EventKind::Press;
    event.character = AnsiCharacter(key.uChar.UnicodeChar);
    event.scanCode = console::scan::ExtendedCode(scanCode, held);
    event.extended = (state & ENHANCED_KEY) != 0;
    event.leftAltDown = (state & LEFT_ALT_PRESSED) != 0;
    event.shiftDown = held.shift;
    event.altDown = held.alt;
    event.keypadDigit = console::scan::KeypadDigit(scanCode, event.extended);
    return event;
}

}  // namespace

namespace console {

void StartDevice() {
    keyboard = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    keyboardIsConsole =
        keyboard != INVALID_HANDLE_VALUE && keyboard != nullptr && windows::CallGetConsoleMode(keyboard, &mode);
    console::ResetTypedKeys();
    if (keyboardIsConsole) {
        // Some consoles (Wine's on a terminal) begin to take keys only once
        // input has been asked for; a peek, which takes nothing, starts them.
        INPUT_RECORD record;
        DWORD seen = 0;
        windows::CallPeekConsoleInput(keyboard, &record, 1, &seen);
    }
}

void EndDevice() {
    windows::RestoreCodePage();
    windows::ReleaseBeeper();
}

KeySource Source() { return keyboardIsConsole ? KeySource::Keyboard : KeySource::TypedBytes; }

// Waiting is polling: the console's queue is looked at every millisecond.
ReadResult ReadEvent(KeyEvent* event, bool wait) {
    if (!keyboardIsConsole) return console::ReadTypedKey(event, wait);
    for (;;) {
        DWORD pending = 0;
        if (!windows::CallGetNumberOfConsoleInputEvents(keyboard, &pending)) return ReadResult::Ended;
        if (pending == 0) {
            if (!wait) return ReadResult::NothingWaiting;
            Sleep(1);
            continue;
        }
        INPUT_RECORD record;
        DWORD got = 0;
        if (!windows::CallReadConsoleInput(keyboard, &record, 1, &got)) return ReadResult::Ended;
        if (got == 0) continue;
        *event = EventOf(record);
        return ReadResult::Event;
    }
}

}  // namespace console
}  // namespace platform
