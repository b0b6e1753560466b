// The base of the test helpers that hold something of the system (a folder,
// a terminal, a standard stream) and give it back when they go: a copy would
// give it back twice.
#pragma once

namespace test_support {

class NotCopyable {
public:
    NotCopyable() = default;
    NotCopyable(const NotCopyable&) = delete;
    NotCopyable& operator=(const NotCopyable&) = delete;
};

}  // namespace test_support
