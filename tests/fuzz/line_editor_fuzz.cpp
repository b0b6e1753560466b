// The line editor fed any stream of key events on the in-memory console, line
// after line until the keys run out, as standard input refills its buffer.
//
// Every line is at most 254 bytes and ends with CR LF; the echo stays inside
// the window and leaves the cursor there; the keys running out is read
// fault 161.
#include "core.h"
#include "core/console_flavour.h"
#include "fuzz_input.h"
#include "memory_console.h"

namespace {

namespace device = platform::console;

constexpr std::size_t kLongestLine = 254;

memory_console::Setup TakeSetup(fuzz::Input& input) {
    memory_console::Setup setup;
    setup.columns = 1 + input.Byte() % memory_console::kMostColumns;
    setup.rows = 1 + input.Byte() % memory_console::kMostRows;
    setup.cursorColumn = input.Byte() % setup.columns;
    setup.cursorRow = input.Byte() % setup.rows;
    std::uint8_t flags = input.Byte();
    setup.screenAttached = (flags & 1) == 0;
    setup.typedBytes = (flags & 2) != 0;
    return setup;
}

// Four bytes an event: kind and flags, character, scan code, keypad digit.
device::KeyEvent TakeEvent(fuzz::Input& input) {
    std::uint8_t flags = input.Byte();
    device::KeyEvent event;
    event.kind = static_cast<device::EventKind>(flags & 3);
    event.extended = (flags & 4) != 0;
    event.leftAltDown = (flags & 8) != 0;
    event.shiftDown = (flags & 16) != 0;
    event.altDown = (flags & 32) != 0;
    event.character = input.Byte();
    event.scanCode = input.Byte();
    std::uint8_t digit = input.Byte();
    event.keypadDigit = (flags & 64) != 0 ? digit % 10 : device::kNoKeypadDigit;
    return event;
}

void RequireEchoInside(const memory_console::Setup& setup) {
    fuzz::Require(memory_console::StrayRunCount() == 0, "the echo is drawn inside the window");
    fuzz::Require(memory_console::CursorColumn() >= 0 && memory_console::CursorColumn() < setup.columns &&
                      memory_console::CursorRow() >= 0 && memory_console::CursorRow() < setup.rows,
                  "the cursor stays inside the window");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input{data, size};
    memory_console::Setup setup = TakeSetup(input);
    memory_console::Reset(setup);
    FetchIoResult();
    OpenStandardStreams();
    ConsoleStart();

    // A prompt before the first line, as the tools write one.
    std::string_view prompt = input.Bytes(input.Byte() % 64);
    ConsoleWrite(prompt.data(), prompt.size());
    RequireEchoInside(setup);
    while (!input.Empty()) memory_console::Queue(TakeEvent(input));

    for (;;) {
        char buffer[kStreamBufferBytes];
        std::size_t got = 0;
        std::uint16_t error = ConsoleRefill(buffer, sizeof buffer, &got);
        RequireEchoInside(setup);
        if (error != 0) {
            fuzz::Require(error == 161, "the keys running out is read fault 161");
            break;
        }
        fuzz::Require(got >= 2 && got - 2 <= kLongestLine, "a line holds at most 254 bytes");
        fuzz::Require(buffer[got - 2] == '\r' && buffer[got - 1] == '\n', "a line ends with CR LF");
    }
    ConsoleEnd();
    return 0;
}
