// The PC keyboard's codes of the keys that the Windows console reports:
// extended codes for the function and cursor keys held with Shift, Ctrl or
// Alt, and which keys are the keypad's digits. Pure functions, so that they
// are tested on every build.
#pragma once

#include <cstdint>

namespace platform::windows {

struct HeldModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// The code a special key hands on: its scan code, or the extended code of
// its combination with the modifiers held (Alt before Ctrl before Shift).
std::uint8_t ExtendedCode(std::uint8_t scanCode, HeldModifiers held);

// The digit of a keypad digit key (Num Lock on or off), or kNoKeypadDigit.
// `enhanced` marks the separate cursor and editing block, whose keys share
// their scan codes with the keypad's.
std::uint8_t KeypadDigit(std::uint8_t scanCode, bool enhanced);

}  // namespace platform::windows
