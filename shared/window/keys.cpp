// The held key: the key poll, the key read, and the keys the line editor
// waits for. Special keys are handed on as 0 followed by their code; a
// character may also be typed as its decimal code on the keypad while Alt
// is held.
#include "../platform/console/console_device.h"
#include "../window.h"
#include "window_console.h"
#include "../platform/ascii.h"

namespace window {
namespace {

namespace device = platform::console;

constexpr std::uint8_t kEnter = ascii::kCarriageReturn;
using ascii::kLineFeed;
using ascii::kTab;
constexpr char kEndOfKeys = ascii::kCtrlZ;  // what TakeKey gives when no key can come
constexpr std::uint16_t kReadFault = platform::errors::kReadFault;

constexpr unsigned kCodeRange = 256;  // a composed code is taken modulo this

bool keyHeld = false;
Key heldKey;
// The code typed so far as keypad digits while Alt is held.
std::uint8_t composedCode = 0;
// Piped bytes: a LF right after a CR belongs to the same Enter.
bool lastTypedWasCarriageReturn = false;

// The key an input event stands for; false when it is none. Keypad digits
// while Alt is down are no key presses: they compose a character code,
// which Alt's release hands on when it is above 0.
bool KeyOfEvent(const device::KeyEvent& event, Key* key) {
    if (event.kind == device::EventKind::AltReleased) {
        std::uint8_t code = composedCode;
        composedCode = 0;
        if (code == 0) return false;
        *key = {false, code};
        return true;
    }
    if (event.kind != device::EventKind::Press) return false;
    if (event.altDown && event.keypadDigit <= 9) {
        composedCode = static_cast<std::uint8_t>((composedCode * 10u + event.keypadDigit) % kCodeRange);
        return false;
    }
    if (event.character == kTab && event.shiftDown) {
        *key = {true, device::scan::kShiftTab};
    } else if (event.character == 0 || event.leftAltDown || event.extended) {
        *key = {true, event.scanCode};
    } else {
        *key = {false, event.character};
    }
    return true;
}

// Typed bytes from a file or a pipe are characters; LF and CR LF are Enter.
bool KeyOfTypedByte(std::uint8_t byte, Key* key) {
    bool afterCarriageReturn = lastTypedWasCarriageReturn;
    lastTypedWasCarriageReturn = byte == kEnter;
    if (byte == kLineFeed) {
        if (afterCarriageReturn) return false;
        byte = kEnter;
    }
    *key = {false, byte};
    return true;
}

// Reads events until one is a key (Event), none is waiting (only when wait
// is false) or the input has ended.
device::ReadResult ReadKey(bool wait, Key* key) {
    NoteKeyAsked();
    for (;;) {
        device::KeyEvent event;
        device::ReadResult result = device::ReadEvent(&event, wait);
        if (result != device::ReadResult::Event) return result;
        bool isKey = device::Source() == device::KeySource::TypedBytes ? KeyOfTypedByte(event.character, key)
                                                                       : KeyOfEvent(event, key);
        if (isKey) return result;
    }
}

}  // namespace

std::uint16_t NextKey(Key* key) {
    if (keyHeld) {
        *key = heldKey;
        keyHeld = false;
        return 0;
    }
    return ReadKey(true, key) == device::ReadResult::Event ? 0 : kReadFault;
}

void ResetKeys() {
    keyHeld = false;
    heldKey = Key{};
    composedCode = 0;
    lastTypedWasCarriageReturn = false;
}

}  // namespace window

// Typed bytes are replies, not key presses: a poll never takes them, so that
// a poll between blocks cannot eat the answer to the next question.
bool KeyWaiting() {
    window::NoteKeyAsked();
    if (window::keyHeld) return true;
    if (platform::console::Source() == platform::console::KeySource::TypedBytes) return false;
    window::Key key;
    if (window::ReadKey(false, &key) != platform::console::ReadResult::Event) return false;
    window::heldKey = key;
    window::keyHeld = true;
    return true;
}

char TakeKey() {
    if (PendingIoError() != 0) return window::kEndOfKeys;
    window::Key key;
    std::uint16_t error = window::NextKey(&key);
    if (error != 0) {
        RaiseIoError(error);
        return window::kEndOfKeys;
    }
    if (key.special) {
        // The code follows as an ordinary character on the next call.
        window::heldKey = {false, key.code};
        window::keyHeld = true;
        return 0;
    }
    return static_cast<char>(key.code);
}
