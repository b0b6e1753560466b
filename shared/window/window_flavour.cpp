// The window console flavour (being filled in): for now standard output and
// input are passed through as plain streams.
#include "../core.h"
#include "../core/console_flavour.h"

void ConsoleStart() {}

void ConsoleEnd() {}

std::uint16_t ConsoleHandOn(const char* bytes, std::size_t count) {
    std::size_t done = 0;
    if (platform::WriteFile(platform::StandardHandle(platform::StandardStream::Output), bytes, count, &done) != 0 ||
        done != count) {
        return 101;
    }
    return 0;
}

std::uint16_t ConsoleRefill(char* buffer, std::size_t capacity, std::size_t* got) {
    return platform::ReadFile(platform::StandardHandle(platform::StandardStream::Input), buffer, capacity, got);
}
