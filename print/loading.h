// Loading a capture image whole, file offset n at buffer offset n.
#pragma once

#include <cstdint>
#include <span>

#include "converter.h"
#include "core.h"

// A capture image is 787510 bytes, but any file that fits is converted. A
// block that would be placed past this offset ends the loading: the file is
// then too large to take.
inline constexpr std::int32_t kSizeGuardOffset = 5400000;
// So the largest file taken is 164 whole blocks.
inline constexpr std::int32_t kLargestImageBytes = 5373952;
static_assert(kLargestImageBytes == (kSizeGuardOffset / kImageBlockBytes) * kImageBlockBytes);
// Room for the largest file taken and the block read that finds its end.
inline constexpr std::int32_t kImageBufferBytes = 5500000;
static_assert(kLargestImageBytes + kImageBlockBytes <= kImageBufferBytes);

// Reads the whole opened input into image and sets its length; false, with
// the file only partly read, when it is larger than the largest taken. A
// failed read ends the run. Past the loaded length the image holds zeros or
// earlier blocks' bytes, which are never written.
bool LoadImage(BlockFile& input, std::span<std::uint8_t, kImageBufferBytes> image, std::int32_t& loadedLength);
