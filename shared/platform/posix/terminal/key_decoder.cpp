#include "key_decoder.h"

namespace platform::terminal {
namespace {

constexpr std::uint8_t kEscape = 27;
constexpr std::uint8_t kDelete = 127;
constexpr std::uint8_t kBackspace = 8;
constexpr std::uint8_t kLineFeed = 10;
constexpr std::uint8_t kEnter = 13;
constexpr std::uint8_t kEscapeScan = 1;
constexpr std::uint8_t kEnterScan = 28;
constexpr std::uint8_t kBackspaceScan = 14;
// Ctrl+@ (Ctrl+Space on most terminals) is the PC's 0 followed by 3.
constexpr std::uint8_t kNulScan = 3;

// The keys that arrive as sequences, in the order of the code table below.
enum SpecialKey : std::uint8_t { kHome, kUp, kPageUp, kLeft, kRight, kEnd, kDown, kPageDown, kInsert, kDelete_, kF1 };
constexpr int kSpecialKeys = kF1 + 12;

// The PC keyboard's extended codes: alone (or with Shift), with Shift for the
// function keys, with Ctrl, with Alt.
struct Codes {
    std::uint8_t plain, shift, ctrl, alt;
};
constexpr Codes kCodes[kSpecialKeys] = {
    {71, 71, 119, 151},  {72, 72, 141, 152},  {73, 73, 132, 153},  {75, 75, 115, 155},  {77, 77, 116, 157},
    {79, 79, 117, 159},  {80, 80, 145, 160},  {81, 81, 118, 161},  {82, 82, 146, 162},  {83, 83, 147, 163},
    {59, 84, 94, 104},   {60, 85, 95, 105},   {61, 86, 96, 106},   {62, 87, 97, 107},   {63, 88, 98, 108},
    {64, 89, 99, 109},   {65, 90, 100, 110},  {66, 91, 101, 111},  {67, 92, 102, 112},  {68, 93, 103, 113},
    {133, 135, 137, 139}, {134, 136, 138, 140},
};

// Modifier parameter of xterm-style sequences: 1 + Shift 1, Alt 2, Ctrl 4.
constexpr int kShiftBit = 1;
constexpr int kAltBit = 2;
constexpr int kCtrlBit = 4;

// The letter keys' scan codes, a to z.
constexpr std::uint8_t kLetterScans[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                           49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
// Alt with 1 .. 9, 0 has codes of its own.
constexpr std::uint8_t kAltDigitFirst = 120;

Decoded Press(std::size_t used, std::uint8_t character, std::uint8_t scanCode) {
    Decoded decoded;
    decoded.kind = Decoding::Key;
    decoded.used = used;
    decoded.event.kind = console::EventKind::Press;
    decoded.event.character = character;
    decoded.event.scanCode = scanCode;
    return decoded;
}

Decoded Special(std::size_t used, SpecialKey key, int modifier) {
    int bits = modifier > 1 ? modifier - 1 : 0;
    const Codes& codes = kCodes[key];
    std::uint8_t code = codes.plain;
    if (bits & kAltBit) {
        code = codes.alt;
    } else if (bits & kCtrlBit) {
        code = codes.ctrl;
    } else if (bits & kShiftBit) {
        code = codes.shift;
    }
    Decoded decoded = Press(used, 0, code);
    decoded.event.extended = key < kF1;
    decoded.event.leftAltDown = (bits & kAltBit) != 0;
    return decoded;
}

Decoded Skip(std::size_t used) {
    Decoded decoded;
    decoded.kind = Decoding::Ignored;
    decoded.used = used;
    return decoded;
}

Decoded LoneEscape() { return Press(1, kEscape, kEscapeScan); }

Decoded Report(std::size_t used) {
    Decoded decoded;
    decoded.kind = Decoding::CursorReport;
    decoded.used = used;
    return decoded;
}

Decoded NeedMore() { return Decoded{}; }

// Alt with a letter or a digit arrives as Esc and the key's own byte.
bool AltKey(std::uint8_t byte, Decoded* decoded) {
    std::uint8_t scan = 0;
    if (byte >= 'a' && byte <= 'z') scan = kLetterScans[byte - 'a'];
    if (byte >= 'A' && byte <= 'Z') scan = kLetterScans[byte - 'A'];
    if (byte >= '1' && byte <= '9') scan = static_cast<std::uint8_t>(kAltDigitFirst + (byte - '1'));
    if (byte == '0') scan = kAltDigitFirst + 9;
    if (scan == 0) return false;
    *decoded = Press(2, byte, scan);
    decoded->event.leftAltDown = true;
    return true;
}

// The number of a "~" sequence: Esc [ n ~.
bool TildeKey(int number, SpecialKey* key) {
    switch (number) {
        case 1: case 7: *key = kHome; return true;
        case 2: *key = kInsert; return true;
        case 3: *key = kDelete_; return true;
        case 4: case 8: *key = kEnd; return true;
        case 5: *key = kPageUp; return true;
        case 6: *key = kPageDown; return true;
        default: break;
    }
    // F1-F5 are 11-15, F6-F10 17-21, F11 and F12 23 and 24.
    static const int kFunctionNumbers[12] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
    for (int i = 0; i < 12; ++i) {
        if (kFunctionNumbers[i] == number) {
            *key = static_cast<SpecialKey>(kF1 + i);
            return true;
        }
    }
    return false;
}

// A letter that ends a cursor-key sequence (Esc [ A, Esc O A, ...).
bool LetterKey(std::uint8_t final, SpecialKey* key) {
    switch (final) {
        case 'A': *key = kUp; return true;
        case 'B': *key = kDown; return true;
        case 'C': *key = kRight; return true;
        case 'D': *key = kLeft; return true;
        case 'H': *key = kHome; return true;
        case 'F': *key = kEnd; return true;
        case 'P': *key = kF1; return true;
        case 'Q': *key = static_cast<SpecialKey>(kF1 + 1); return true;
        case 'S': *key = static_cast<SpecialKey>(kF1 + 3); return true;
        default: return false;
    }
}

// Esc [ parameters final.
Decoded ControlSequence(const std::uint8_t* bytes, std::size_t count, bool moreMayFollow, bool reportAwaited) {
    // The Linux console's F1-F5: Esc [ [ A .. E.
    if (count > 2 && bytes[2] == '[') {
        if (count == 3) return moreMayFollow ? NeedMore() : LoneEscape();
        if (bytes[3] >= 'A' && bytes[3] <= 'E') return Special(4, static_cast<SpecialKey>(kF1 + (bytes[3] - 'A')), 1);
        return Skip(4);
    }
    int numbers[2] = {0, 0};
    int separators = 0;  // the digits go to numbers[separators]
    bool privateMarker = false;
    std::size_t at = 2;
    for (; at < count; ++at) {
        std::uint8_t b = bytes[at];
        if (b >= '0' && b <= '9') {
            if (separators < 2 && numbers[separators] < 10000) numbers[separators] = numbers[separators] * 10 + (b - '0');
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
    SpecialKey key;
    if (final == 'Z') return Press(used, 0, console::scan::kShiftTab);
    if (final == '~') return TildeKey(numbers[0], &key) ? Special(used, key, modifier) : Skip(used);
    if (final == 'R') {
        int row = 0, column = 0;
        std::size_t start = 0, length = 0;
        if (reportAwaited && FindCursorReport(bytes, used, &row, &column, &start, &length) && length == used) {
            return Report(used);
        }
        // Any other row than the first is no key: a report nobody waits for.
        return numbers[0] <= 1 ? Special(used, static_cast<SpecialKey>(kF1 + 2), modifier) : Skip(used);
    }
    if (LetterKey(final, &key)) return Special(used, key, modifier);
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
    SpecialKey key;
    if (final == 'R') return Special(3, static_cast<SpecialKey>(kF1 + 2), 1);
    if (LetterKey(final, &key)) return Special(3, key, 1);
    if (final == 'M') {
        Decoded decoded = Press(3, '\r', console::scan::kKeypadEnter);
        decoded.event.extended = true;
        return decoded;
    }
    if (final == 'o') {
        Decoded decoded = Press(3, '/', console::scan::kKeypadSlash);
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
        if (first == kDelete || first == kBackspace) return Press(1, kBackspace, kBackspaceScan);
        // An Enter typed before the keys were switched reaches us as LF.
        if (first == kLineFeed) return Press(1, kEnter, kEnterScan);
        if (first == 0) return Press(1, 0, kNulScan);
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
