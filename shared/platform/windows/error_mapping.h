// The system error codes of Windows mapped onto the layer's I/O error
// numbers. A pure function, so that it is tested on every build.
#pragma once

#include <cstdint>

namespace platform::windows {

// A read that the system ends with this code (the writer of a pipe went
// away) has reached the end of the data; it is no failure.
inline constexpr std::uint32_t kBrokenPipe = 109;

// The layer's number for a failed call whose system error code is `code`.
// Never 0: a failure must not read as success, even when the system gave
// no code (0) or one that the 16-bit number cannot hold.
std::uint16_t MapSystemError(std::uint32_t code);

}  // namespace platform::windows
