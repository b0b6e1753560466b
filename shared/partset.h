// The part-file set that the splitter writes and the joiner reads back: how
// parts are named and sized, and the digit-string reading of the size
// argument both tools share.
#pragma once

#include <cstdint>

#include "core.h"

// What the tools fit on one diskette.
inline constexpr std::int64_t kFloppyUnitBytes = 1433600;
// The data moved by one block read and one block write; a floppy unit is
// exactly 25 of them.
inline constexpr std::uint16_t kTransferBlockBytes = 57344;
static_assert(kFloppyUnitBytes == 25 * kTransferBlockBytes);
// Each tool's transfer buffer is declared one floppy unit long.
inline constexpr std::int64_t kTransferBufferBytes = kFloppyUnitBytes;

// base name + decimal part number + ".zip", cut to 255 bytes.
ShortText PartFileName(const ShortText& baseName, std::int32_t partNumber);

// True when the 255-byte cut of PartFileName removes a digit of the number,
// so that two parts would share one name.
bool PartNumberCutOff(const ShortText& baseName, std::int32_t partNumber);

// Reads text as a number in the given base, last character first, each
// character counting its code minus 48. 32-bit with silent wrap-around; no
// character is rejected and nothing is reported.
std::int32_t DigitsToNumber(const ShortText& text, std::int32_t base);
