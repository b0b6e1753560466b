// A ShortText as the system wants a name: its bytes and a terminating zero.
// Shared by the parts of the core that hand names to the platform.
#pragma once

#include <cstring>
#include <string_view>

#include "../core.h"

struct SystemName {
    char bytes[kShortTextBytes + 1];
};

// A text that was cut to 255 bytes is not the name the user gave, and could
// reach another file: it becomes the empty name, with "path not found or name
// too long" pending, so that nothing is opened, created or emptied by it.
inline SystemName ToSystemName(const ShortText& text) {
    SystemName name;
    if (text.cut) {
        RaiseIoError(platform::errors::kPathNotFound);
        name.bytes[0] = '\0';
        return name;
    }
    std::memcpy(name.bytes, text.bytes, text.length);
    name.bytes[text.length] = '\0';
    return name;
}

// The length of a path's folder part, its last separator included: 0 for a
// name in the current folder.
inline std::size_t FolderPartLength(std::string_view path) {
    std::size_t separator = path.find_last_of(platform::FolderSeparators());
    return separator == std::string_view::npos ? 0 : separator + 1;
}
