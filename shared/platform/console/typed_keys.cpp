#include "typed_keys.h"

#include "../platform.h"

namespace platform::console {
namespace {

// Typed bytes are read in stream-buffer sized pieces.
constexpr std::size_t kTypedBytes = 256;

char typed[kTypedBytes];
std::size_t typedCount = 0;
std::size_t typedNext = 0;
bool typedEnded = false;

}  // namespace

ReadResult ReadTypedKey(KeyEvent* event, bool wait) {
    if (typedNext == typedCount) {
        if (typedEnded || !wait) return typedEnded ? ReadResult::Ended : ReadResult::NothingWaiting;
        std::size_t got = 0;
        if (ReadSome(StandardHandle(StandardStream::Input), typed, sizeof typed, &got) != 0 || got == 0) {
            typedEnded = true;
            return ReadResult::Ended;
        }
        typedCount = got;
        typedNext = 0;
    }
    *event = KeyEvent{};
    event->kind = EventKind::Press;
    event->character = static_cast<std::uint8_t>(typed[typedNext++]);
    return ReadResult::Event;
}

void ResetTypedKeys() {
    typedCount = typedNext = 0;
    typedEnded = false;
}

}  // namespace platform::console
