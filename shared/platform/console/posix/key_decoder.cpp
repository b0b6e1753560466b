#include "key_decoder.h"
#include "../../ascii.h"

namespace platform::terminal {
namespace {

namespace scan = console::scan;
using scan::Special;

using ascii::kEscape;
using ascii::kDelete;
using ascii::kBackspace;
using ascii::kLineFeed;
constexpr std::uint8_t kEnter = ascii::kCarriageReturn;

// Modifier parameter of xterm-style sequences: 1 + Shift 1, Alt 2, Ctrl 4.
constexpr int kShiftBit = 1;
constexpr int kAltBit = 2;
constexpr int kCtrlBit = 4;

Decoded Press(std::size_t used, std::uint8_t character, std::uint8_t scanCode) {
    Decoded decoded;
    decoded.kind = Decoding::Key;
    decoded.used = used;
    decoded.event.kind = console::EventKind::Press;
    decoded.event.character = character;
    decoded.event.scanCode = scanCode;
    return decoded;
}

Decoded SpecialPress(std::size_t used, Special key, int modifier) {
    int bits = modifier > 1 ? modifier - 1 : 0;
    scan::Held held{(bits & kShiftBit) != 0, (bits & kCtrlBit) != 0, (bits & kAltBit) != 0};
    Decoded decoded = Press(used, 0, scan::CodeOf(key, held));
    decoded.event.extended = scan::InEditingBlock(key);
    decoded.event.leftAltDown = (bits & kAltBit) != 0;
    return decoded;
}

Decoded Skip(std::size_t used) {
    Decoded decoded;
    decoded.kind = Decoding::Ignored;
    decoded.used = used;
    return decoded;
}

Decoded LoneEscape() { return Press(1, kEscape, scan::kEscape); }

Decoded Report(std::size_t used) {
    Decoded decoded;
    decoded.kind = Decoding::CursorReport;
    decoded.used = used;
    return decoded;
}

Decoded NeedMore() { return Decoded{}; }

// Alt with a letter or a digit arrives as Esc and the key's own byte.
bool AltKey(std::uint8_t byte, Decoded* decoded) {
    std::uint8_t code = 0;
    if (byte >= 'a' && byte <= 'z') code = scan::kLetters[byte - 'a'];
    if (byte >= 'A' && byte <= 'Z') code = scan::kLetters[byte - 'A'];
    if (byte >= '1' && byte <= '9') code = static_cast<std::uint8_t>(scan::kAltDigitRow + (byte - '1'));
    if (byte == '0') code = scan::kAltDigitRow + 9;
    if (code == 0) return false;
    *decoded = Press(2, byte, code);
    decoded->event.leftAltDown = true;
    return true;
}

// The number of a "~" sequence: Esc [ n ~.
bool TildeKey(int number, Special* key) {
    switch (number) {
        case 1:
        case 7: *key = Special::Home; return true;
        case 2: *key = Special::Insert; return true;
        case 3: *key = Special::Delete; return true;
        case 4:
        case 8: *key = Special::End; return true;
        case 5: *key = Special::PageUp; return true;
        case 6: *key = Special::PageDown; return true;
        default: break;
    }
    // F1-F5 are 11-15, F6-F10 17-21, F11 and F12 23 and 24.
    static const int kFunctionNumbers[12] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
    for (int i = 0; i < 12; ++i) {
        if (kFunctionNumbers[i] == number) {
            *key = scan::FunctionKey(i + 1);
            return true;
        }
    }
    return false;
}

// A letter that ends a cursor-key sequence (Esc [ A, Esc O A, ...).
bool LetterKey(std::uint8_t final, Special* key) {
    switch (final) {
        case 'A': *key = Special::Up; return true;
        case 'B': *key = Special::Down; return true;
        case 'C': *key = Special::Right; return true;
        case 'D': *key = Special::Left; return true;
        case 'H': *key = Special::Home; return true;
        case 'F': *key = Special::End; return true;
        case 'P': *key = scan::FunctionKey(1); return true;
        case 'Q': *key = scan::FunctionKey(2); return true;
        case 'S': *key = scan::FunctionKey(4); return true;
        default: return false;
    }
}

// Esc [ parameters final.
Decoded ControlSequence(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow, bool reportAwaited) {
    // The Linux console's F1-F5: Esc [ [ A .. E.
    if (count > 2 && bytes[2] == '[') {
        if (count == 3) return moreMayFollow ? NeedMore() : LoneEscape();
        if (bytes[3] >= 'A' && bytes[3] <= 'E') return SpecialPress(4, scan::FunctionKey(1 + (bytes[3] - 'A')), 1);
        return Skip(4);
    }
    int numbers[2] = {0, 0};
    int separators = 0;  // the digits go to numbers[separators]
    bool privateMarker = false;
    std::size_t at = 2;
    for (; at < count; ++at) {
        std::uint8_t b = bytes[at];
        if (b >= '0' && b <= '9') {
            if (separators < 2 && numbers[separators] < 10000)
                numbers[separators] = numbers[separators] * 10 + (b - '0');
        } else if (b == ';') {
            if (separators < 2) ++separators;
        } else if (b >= 0x3C && b <= 0x3F) {
            privateMarker = true;  // < = > ?: mouse reports and other answers
        } else if (b >= 0x20 && b <= 0x2F) {
            // intermediate bytes: no key uses them
        } else if (b >= 0x40 && b <= 0x7E) {
            break;
        } else {
            return LoneEscape();  // not a sequence after all
        }
    }
    if (at == count) return moreMayFollow ? NeedMore() : LoneEscape();
    std::size_t used = at + 1;
    std::uint8_t final = bytes[at];
    int modifier = separators >= 1 && numbers[1] > 0 ? numbers[1] : 1;
    if (privateMarker) return Skip(used);
    Special key;
    if (final == 'Z') return Press(used, 0, scan::kShiftTab);
    if (final == '~') return TildeKey(numbers[0], &key) ? SpecialPress(used, key, modifier) : Skip(used);
    if (final == 'R') {
        int row = 0, column = 0;
        std::size_t start = 0, length = 0;
        if (reportAwaited && FindCursorReport(bytes, used, &row, &column, &start, &length) && length == used) {
            return Report(used);
        }
        // Any other row than the first is no key: a report nobody waits for.
        return numbers[0] <= 1 ? SpecialPress(used, scan::FunctionKey(3), modifier) : Skip(used);
    }
    if (LetterKey(final, &key)) return SpecialPress(used, key, modifier);
    return Skip(used);
}

// Esc O final: cursor and function keys in application mode, and the keypad.
Decoded ShiftThree(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow) {
    if (count == 2) {
        if (moreMayFollow) return NeedMore();
        Decoded decoded;
        AltKey('O', &decoded);  // Alt+O, nothing follows
        return decoded;
    }
    std::uint8_t final = bytes[2];
    Special key;
    if (final == 'R') return SpecialPress(3, scan::FunctionKey(3), 1);
    if (LetterKey(final, &key)) return SpecialPress(3, key, 1);
    if (final == 'M') {
        Decoded decoded = Press(3, '\r', scan::kKeypadEnter);
        decoded.event.extended = true;
        return decoded;
    }
    if (final == 'o') {
        Decoded decoded = Press(3, '/', scan::kKeypadSlash);
        decoded.event.extended = true;
        return decoded;
    }
    // The rest of the keypad in application mode gives its plain characters.
    if (final >= 'p' && final <= 'y') return Press(3, static_cast<std::uint8_t>('0' + (final - 'p')), 0);
    switch (final) {
        case 'j': return Press(3, '*', 0);
        case 'k': return Press(3, '+', 0);
        case 'l': return Press(3, ',', 0);
        case 'm': return Press(3, '-', 0);
        case 'n': return Press(3, '.', 0);
        case 'X': return Press(3, '=', 0);
        default: return Skip(3);
    }
}

}  // namespace

Decoded DecodeKey(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow, bool reportAwaited) {
    if (count == 0) return NeedMore();
    std::uint8_t first = bytes[0];
    if (first != kEscape) {
        if (first == kDelete || first == kBackspace) return Press(1, kBackspace, scan::kBackspace);
        // An Enter typed before the keys were switched reaches us as LF.
        if (first == kLineFeed) return Press(1, kEnter, scan::kEnter);
        if (first == 0) return Press(1, 0, scan::kCtrlAt);
        return Press(1, first, 0);
    }
    if (count == 1) return moreMayFollow ? NeedMore() : LoneEscape();
    if (bytes[1] == '[') return ControlSequence(bytes, count, moreMayFollow, reportAwaited);
    if (bytes[1] == 'O') return ShiftThree(bytes, count, moreMayFollow);
    Decoded decoded;
    if (AltKey(bytes[1], &decoded)) return decoded;
    return LoneEscape();
}

bool FindCursorReport(const std::uint8_t* bytes, std::size_t count, int* row, int* column, std::size_t* start,
                      std::size_t* length) {
    for (std::size_t begin = 0; begin + 1 < count; ++begin) {
        if (bytes[begin] != kEscape || bytes[begin + 1] != '[') continue;
        int numbers[2] = {0, 0};
        int index = 0;
        bool digits = false;
        std::size_t at = begin + 2;
        for (; at < count; ++at) {
            std::uint8_t b = bytes[at];
            if (b >= '0' && b <= '9' && numbers[index] < 10000) {
                numbers[index] = numbers[index] * 10 + (b - '0');
                digits = true;
            } else if (b == ';' && index == 0 && digits) {
                index = 1;
                digits = false;
            } else {
                break;
            }
        }
        if (at < count && bytes[at] == 'R' && index == 1 && digits) {
            *row = numbers[0];
            *column = numbers[1];
            *start = begin;
            *length = at + 1 - begin;
            return true;
        }
    }
    return false;
}

}  // namespace platform::terminal
