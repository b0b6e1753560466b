// The PC keyboard's key codes, one table for both backends: the scan codes
// the window console acts on, and the extended codes that the cursor,
// editing and function keys hand on with Shift, Ctrl or Alt. The terminal
// backend turns key sequences into them, the Windows backend the console's
// key events.
#pragma once

#include <cstdint>

namespace platform::console {

// keypadDigit of every key that is not one of the keypad's digit keys.
inline constexpr std::uint8_t kNoKeypadDigit = 0xFF;

namespace scan {

inline constexpr std::uint8_t kEscape = 1;
inline constexpr std::uint8_t kBackspace = 14;
inline constexpr std::uint8_t kShiftTab = 15;
inline constexpr std::uint8_t kEnter = 28;  // the keypad's Enter too, told apart by `extended`
inline constexpr std::uint8_t kKeypadEnter = kEnter;
inline constexpr std::uint8_t kKeypadSlash = 53;
inline constexpr std::uint8_t kF1 = 59;
inline constexpr std::uint8_t kHome = 71;
inline constexpr std::uint8_t kLeft = 75;
inline constexpr std::uint8_t kRight = 77;
inline constexpr std::uint8_t kEnd = 79;
inline constexpr std::uint8_t kDelete = 83;
// Ctrl+@ is the PC's character 0 with this code.
inline constexpr std::uint8_t kCtrlAt = 3;

// The letter keys' scan codes, a to z.
inline constexpr std::uint8_t kLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                              49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

// Alt with the digit row 1 .. 9, 0, "-", "=" (scan codes 2 to 13) hands on
// codes of its own from 120 on.
inline constexpr std::uint8_t kFirstDigitRowKey = 2;
inline constexpr std::uint8_t kLastDigitRowKey = 13;
inline constexpr std::uint8_t kAltDigitRow = 120;

// The keys with extended codes, in the rows of kSpecialCodes: the cursor and
// editing block, then F1 to F12.
enum class Special : std::uint8_t { Home, Up, PageUp, Left, Right, End, Down, PageDown, Insert, Delete, F1 };
inline constexpr int kSpecialKeys = static_cast<int>(Special::F1) + 12;

constexpr Special FunctionKey(int number) { return static_cast<Special>(static_cast<int>(Special::F1) + number - 1); }
constexpr bool InEditingBlock(Special key) { return key < Special::F1; }

// A key's scan code, and the codes it hands on alone, with Shift, with
// Ctrl, with Alt.
struct Codes {
    std::uint8_t scanCode, plain, shift, ctrl, alt;
};
inline constexpr Codes kSpecialCodes[kSpecialKeys] = {
    {71, 71, 71, 119, 151},   {72, 72, 72, 141, 152},   {73, 73, 73, 132, 153}, {75, 75, 75, 115, 155},
    {77, 77, 77, 116, 157},   {79, 79, 79, 117, 159},   {80, 80, 80, 145, 160}, {81, 81, 81, 118, 161},
    {82, 82, 82, 146, 162},   {83, 83, 83, 147, 163},   {59, 59, 84, 94, 104},  {60, 60, 85, 95, 105},
    {61, 61, 86, 96, 106},    {62, 62, 87, 97, 107},    {63, 63, 88, 98, 108},  {64, 64, 89, 99, 109},
    {65, 65, 90, 100, 110},   {66, 66, 91, 101, 111},   {67, 67, 92, 102, 112}, {68, 68, 93, 103, 113},
    {87, 133, 135, 137, 139}, {88, 134, 136, 138, 140},
};

struct Held {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The code a special key hands on: Alt before Ctrl before Shift.
constexpr std::uint8_t CodeOf(Special key, Held held) {
    const Codes& codes = kSpecialCodes[static_cast<int>(key)];
    if (held.alt) return codes.alt;
    if (held.ctrl) return codes.ctrl;
    if (held.shift) return codes.shift;
    return codes.plain;
}

// The code a key of the given scan code hands on with the modifiers held.
constexpr std::uint8_t ExtendedCode(std::uint8_t scanCode, Held held) {
    for (int row = 0; row < kSpecialKeys; ++row) {
        if (kSpecialCodes[row].scanCode == scanCode) return CodeOf(static_cast<Special>(row), held);
    }
    if (held.alt && scanCode >= kFirstDigitRowKey && scanCode <= kLastDigitRowKey) {
        return static_cast<std::uint8_t>(kAltDigitRow + (scanCode - kFirstDigitRowKey));
    }
    return scanCode;
}

// The keypad's digit keys share their scan codes (71 to 82) with the cursor
// and editing block, which reports itself `extended`.
inline constexpr std::uint8_t kFirstKeypadKey = 71;
inline constexpr std::uint8_t kKeypadDigits[] = {7, 8, 9, kNoKeypadDigit, 4, 5, 6, kNoKeypadDigit, 1, 2, 3, 0};

// The digit of a keypad digit key (Num Lock on or off), or kNoKeypadDigit.
constexpr std::uint8_t KeypadDigit(std::uint8_t scanCode, bool extended) {
    int at = scanCode - kFirstKeypadKey;
    if (extended || at < 0 || at >= static_cast<int>(sizeof kKeypadDigits)) return kNoKeypadDigit;
    return kKeypadDigits[at];
}

}  // namespace scan
}  // namespace platform::console
