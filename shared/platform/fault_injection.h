// A seam for tests: makes chosen system calls of the backend fail or come
// up short without touching the real system, so that the layer's failure
// paths can be driven one by one. Production code never arms it.
#pragma once

#include <cstddef>

namespace platform::fault {

enum class Call { Open, Read, Write, Close, Length, Lock, Count };

// From the nth call (1-based, counted from now) of the given kind on, for
// `times` calls: fail with the system error `error` (an errno value on
// POSIX, a system error code on Windows) when it is not 0, else move at most
// `takeAtMost` bytes.
void Inject(Call call, unsigned nth, int error, std::size_t takeAtMost = 0, unsigned times = 1);

// Disarms every injected fault and resets the call counters.
void Clear();

// The backends' side: counts one call of the kind and gives true when it is
// to be disturbed, with the error to fail with (0: none) and the most bytes
// it may move.
bool Disturb(Call call, int* error, std::size_t* takeAtMost);

}  // namespace platform::fault
