// A ShortText as the system wants a name: its bytes and a terminating zero.
// Shared by the parts of the core that hand names to the platform.
#pragma once

#include <cstring>

#include "../core.h"

struct SystemName {
    char bytes[kShortTextBytes + 1];
};

inline SystemName ToSystemName(const ShortText& text) {
    SystemName name;
    std::memcpy(name.bytes, text.bytes, text.length);
    name.bytes[text.length] = '\0';
    return name;
}
