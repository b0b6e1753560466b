// The stream console: standard output and input are plain byte streams that
// may be redirected to files or pipes.
#include "../core.h"
#include "console_flavour.h"

void ConsoleStart() {}

void ConsoleEnd() {}

std::uint16_t ConsoleHandOn(const char* bytes, std::size_t count) {
    std::size_t done = 0;
    // Text the system does not take in full is a failed output, whatever the cause.
    if (platform::WriteFile(platform::StandardHandle(platform::StandardStream::Output), bytes, count, &done) != 0 ||
        done != count) {
        return 101;
    }
    return 0;
}

std::uint16_t ConsoleRefill(char* buffer, std::size_t capacity, std::size_t* got) {
    return platform::ReadFile(platform::StandardHandle(platform::StandardStream::Input), buffer, capacity, got);
}
