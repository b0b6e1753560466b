// Loading the greentone converters' two files, the palette file and the
// image, into buffers of one size.
#pragma once

#include <cstdint>
#include <span>

#include "core.h"

// Large enough for an input of either header kind together with the two
// blocks that loading copies past its end.
inline constexpr std::int32_t kImageBufferBytes = 850000;

// Reads the open file into buffer from its first byte on, one block at a
// time, and closes it; gives the bytes the reads delivered. A failed read or
// close ends the run. Each block is copied whole, also after a short read, so
// past the file's end the buffer holds what the block held before. The copies
// stop at the buffer's end: the rest of an over-long file is not read, and
// the total read then already exceeds every expected size.
std::int32_t LoadFile(BlockFile& file, std::span<std::uint8_t, kImageBufferBytes> buffer);
