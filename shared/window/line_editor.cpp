// The line editor: one line of at most 254 bytes, typed with echo at the
// cursor, edited with Backspace, Esc, Home, End and the cursor keys.
#include <cstring>

#include "../platform/console/console_device.h"
#include "window_console.h"
#include "../platform/ascii.h"

namespace window {
namespace {

namespace scan = platform::console::scan;

// With its CR LF the longest line exactly fills a 256-byte stream buffer.
constexpr std::size_t kLineBytes = 254;

using ascii::kBackspace;
constexpr std::uint8_t kEnter = ascii::kCarriageReturn;
constexpr std::uint8_t kCtrlS = 19;
constexpr std::uint8_t kCtrlY = 25;
using ascii::kCtrlZ;
using ascii::kEscape;

struct Line {
    char bytes[kLineBytes];
    std::size_t length = 0;
    std::size_t position = 0;  // the edit position, 0 to length
};

void Echo(const char* bytes, std::size_t count) { Draw(bytes, count); }

void EraseLastByte(Line& line) {
    static const char kRubOut[3] = {kBackspace, ' ', kBackspace};
    Echo(kRubOut, sizeof kRubOut);
    --line.length;
    --line.position;
}

void MoveToEnd(Line& line) {
    Echo(line.bytes + line.position, line.length - line.position);
    line.position = line.length;
}

void MoveBack(Line& line, std::size_t steps) {
    static const char kBack = kBackspace;
    for (; steps > 0; --steps) {
        Echo(&kBack, 1);
        --line.position;
    }
}

void Store(Line& line, char c) {
    if (line.position >= kLineBytes) return;
    line.bytes[line.position] = c;
    if (line.position == line.length) ++line.length;
    ++line.position;
    Echo(&c, 1);
}

// Gives true when the key ends the line.
bool Edit(Line& line, Key key) {
    if (key.special) {
        switch (key.code) {
            case scan::kKeypadEnter: return true;
            case scan::kKeypadSlash: Store(line, '/'); break;
            case scan::kHome: MoveBack(line, line.position); break;
            case scan::kLeft:
                if (line.position > 0) MoveBack(line, 1);
                break;
            case scan::kRight:
                if (line.position < line.length) {
                    Echo(line.bytes + line.position, 1);
                    ++line.position;
                }
                break;
            case scan::kEnd: MoveToEnd(line); break;
            default: break;  // every other special key is ignored
        }
        return false;
    }
    switch (key.code) {
        case kEnter: return true;
        case kBackspace:
        case kCtrlS:
            if (line.length > 0 && line.position == line.length) EraseLastByte(line);
            break;
        case kEscape:
        case kCtrlY:
            MoveToEnd(line);
            while (line.length > 0) EraseLastByte(line);
            break;
        case kCtrlZ: break;
        default: Store(line, static_cast<char>(key.code)); break;
    }
    return false;
}

}  // namespace

std::uint16_t EditLine(char* buffer, std::size_t capacity, std::size_t* got) {
    static const char kLineEnd[2] = {kEnter, '\n'};
    *got = 0;
    Line line;
    for (;;) {
        Key key;
        std::uint16_t error = NextKey(&key);
        if (error != 0) return error;
        if (Edit(line, key)) break;
    }
    Echo(kLineEnd, sizeof kLineEnd);
    std::size_t length = line.length + sizeof kLineEnd <= capacity ? line.length : capacity - sizeof kLineEnd;
    std::memcpy(buffer, line.bytes, length);
    std::memcpy(buffer + length, kLineEnd, sizeof kLineEnd);
    *got = length + sizeof kLineEnd;
    return 0;
}

}  // namespace window
