#include "key_codes.h"

#include "../../console_device.h"

namespace platform::windows {
namespace {

constexpr std::uint8_t kF1 = 59;
constexpr std::uint8_t kF10 = 68;
constexpr std::uint8_t kF11 = 87;
constexpr std::uint8_t kF12 = 88;
// F1 to F10 with Shift, Ctrl and Alt lie this far above the plain codes.
constexpr std::uint8_t kShiftFunction = 25;
constexpr std::uint8_t kCtrlFunction = 35;
constexpr std::uint8_t kAltFunction = 45;

// F11 and F12: plain, with Shift, with Ctrl, with Alt.
struct Codes {
    std::uint8_t plain, shift, ctrl, alt;
};
constexpr Codes kF11Codes = {133, 135, 137, 139};
constexpr Codes kF12Codes = {134, 136, 138, 140};

// The cursor and editing keys, by scan code from Home (71) to Delete (83):
// with Ctrl and with Alt; 0 where the scan code is no such key.
constexpr std::uint8_t kFirstEditingKey = 71;
constexpr std::uint8_t kLastEditingKey = 83;
constexpr std::uint8_t kCtrlEditing[] = {119, 141, 132, 0, 115, 0, 116, 0, 117, 145, 118, 146, 147};
constexpr std::uint8_t kAltEditing[] = {151, 152, 153, 0, 155, 0, 157, 0, 159, 160, 161, 162, 163};

// The digit row 1 .. 9, 0, "-" and "=" (scan codes 2 to 13) with Alt.
constexpr std::uint8_t kFirstDigitKey = 2;
constexpr std::uint8_t kLastDigitRowKey = 13;
constexpr std::uint8_t kAltDigitRow = 120;

// The keypad's digit keys, by scan code from 71 (7) to 82 (0).
constexpr std::uint8_t kKeypadDigits[] = {7, 8, 9, console::kNoKeypadDigit, 4, 5, 6, console::kNoKeypadDigit,
                                          1, 2, 3, 0};
constexpr std::uint8_t kFirstKeypadKey = 71;
constexpr std::uint8_t kLastKeypadDigitKey = 82;

std::uint8_t Pick(const Codes& codes, HeldModifiers held) {
    if (held.alt) return codes.alt;
    if (held.ctrl) return codes.ctrl;
    if (held.shift) return codes.shift;
    return codes.plain;
}

}  // namespace

std::uint8_t ExtendedCode(std::uint8_t scanCode, HeldModifiers held) {
    if (scanCode >= kF1 && scanCode <= kF10) {
        return Pick({scanCode, static_cast<std::uint8_t>(scanCode + kShiftFunction),
                     static_cast<std::uint8_t>(scanCode + kCtrlFunction),
                     static_cast<std::uint8_t>(scanCode + kAltFunction)},
                    held);
    }
    if (scanCode == kF11) return Pick(kF11Codes, held);
    if (scanCode == kF12) return Pick(kF12Codes, held);
    if (scanCode >= kFirstEditingKey && scanCode <= kLastEditingKey) {
        std::uint8_t code = 0;
        if (held.alt) {
            code = kAltEditing[scanCode - kFirstEditingKey];
        } else if (held.ctrl) {
            code = kCtrlEditing[scanCode - kFirstEditingKey];
        }
        return code != 0 ? code : scanCode;
    }
    if (held.alt && scanCode >= kFirstDigitKey && scanCode <= kLastDigitRowKey) {
        return static_cast<std::uint8_t>(kAltDigitRow + (scanCode - kFirstDigitKey));
    }
    return scanCode;
}

std::uint8_t KeypadDigit(std::uint8_t scanCode, bool enhanced) {
    if (enhanced || scanCode < kFirstKeypadKey || scanCode > kLastKeypadDigitKey) return console::kNoKeypadDigit;
    return kKeypadDigits[scanCode - kFirstKeypadKey];
}

}  // namespace platform::windows
