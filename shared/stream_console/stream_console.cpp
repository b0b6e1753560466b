// The stream console: standard output and input are plain byte streams that
// may be redirected to files or pipes.
#include "../core.h"
#include "../core/console_flavour.h"
#include "../platform/terminal_text.h"

namespace {

bool outputIsTerminal = false;

// On a terminal, bytes of a name could steer the screen (set its title,
// move the cursor, ...): of the control bytes only the line ends, the
// backspace and the bell go as they are.
bool Passes(unsigned char byte) { return byte == '\r' || byte == '\n' || byte == '\b' || byte == '\a'; }

// On a terminal the bytes show as the characters of names; elsewhere every
// byte goes as it is.
std::uint16_t WriteAsIs(const char* bytes, std::size_t count) {
    std::size_t done = 0;
    platform::FileHandle output = platform::StandardHandle(platform::StandardStream::Output);
    std::uint16_t error = outputIsTerminal ? platform::WriteTerminalText(output, bytes, count, &done)
                                           : platform::WriteAll(output, bytes, count, &done);
    // Text the system does not take in full is a failed output, whatever the cause.
    return error != 0 || done != count ? platform::errors::kDiskFull : 0;
}

}  // namespace

void ConsoleStart() { outputIsTerminal = platform::IsTerminal(platform::StandardStream::Output); }

void ConsoleEnd() {}

std::uint16_t ConsoleWrite(const char* bytes, std::size_t count) {
    if (!outputIsTerminal) return WriteAsIs(bytes, count);
    char shown[kStreamBufferBytes];
    while (count > 0) {
        std::size_t take = count < sizeof shown ? count : sizeof shown;
        platform::ShowOnTerminal(bytes, take, shown, Passes);
        if (std::uint16_t error = WriteAsIs(shown, take); error != 0) return error;
        bytes += take;
        count -= take;
    }
    return 0;
}

std::uint16_t ConsoleRefill(char* buffer, std::size_t capacity, std::size_t* got) {
    return platform::ReadSome(platform::StandardHandle(platform::StandardStream::Input), buffer, capacity, got);
}
