// The full write, the same on every system, over each backend's single
// write request.
#include "platform.h"

namespace platform {

std::uint16_t WriteAll(FileHandle handle, const void* buffer, std::size_t count, std::size_t* done) {
    const char* bytes = static_cast<const char*>(buffer);
    *done = 0;
    while (*done < count) {
        std::size_t took = 0;
        std::uint16_t error = WriteSome(handle, bytes + *done, count - *done, &took);
        *done += took;
        if (error != 0) return error;
        if (took == 0) return errors::kDiskFull;  // the system takes nothing more: the medium is full
    }
    return 0;
}

}  // namespace platform
