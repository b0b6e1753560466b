// The ASCII control characters the suite acts on, named once. (Key scan
// codes, which use some of the same names, are in pc_keys.h's `scan`.)
#pragma once

#include <cstdint>

namespace ascii {

inline constexpr std::uint8_t kCtrlC = 3;  // Ctrl+C when the console hands it over as a key
inline constexpr std::uint8_t kBell = 7;
inline constexpr std::uint8_t kBackspace = 8;
inline constexpr std::uint8_t kTab = 9;
inline constexpr std::uint8_t kLineFeed = 10;
inline constexpr std::uint8_t kCarriageReturn = 13;  // the Enter key's character
inline constexpr std::uint8_t kCtrlZ = 26;           // SUB: the end of a text, and Ctrl+Z
inline constexpr std::uint8_t kEscape = 27;
inline constexpr std::uint8_t kDelete = 127;

}  // namespace ascii
