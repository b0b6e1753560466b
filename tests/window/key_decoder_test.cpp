// The terminal's key decoder: escape sequences to PC key codes.
#include <gtest/gtest.h>

#include <string>

#include "platform/console/posix/key_decoder.h"

namespace {

using platform::terminal::DecodeKey;
using platform::terminal::Decoded;
using platform::terminal::Decoding;
using platform::terminal::FindCursorReport;

Decoded Decode(const std::string& bytes, bool moreMayFollow = true, bool reportAwaited = false) {
    return DecodeKey(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), moreMayFollow, reportAwaited);
}

struct Sequence {
    const char* bytes;
    int scanCode;
};

// Keys without a character: the decoder gives their PC code.
TEST(KeyDecoderTest, SpecialKeysInTheUsualSpellingsGiveTheirCodes) {
    const Sequence sequences[] = {
        {"\x1b[A", 72},     {"\x1b[B", 80},      {"\x1b[C", 77},     {"\x1b[D", 75},     {"\x1bOA", 72},
        {"\x1bOD", 75},     {"\x1b[H", 71},      {"\x1b[F", 79},     {"\x1bOH", 71},     {"\x1bOF", 79},
        {"\x1b[1~", 71},    {"\x1b[7~", 71},     {"\x1b[4~", 79},    {"\x1b[8~", 79},    {"\x1b[5~", 73},
        {"\x1b[6~", 81},    {"\x1b[2~", 82},     {"\x1b[3~", 83},    {"\x1bOP", 59},     {"\x1bOQ", 60},
        {"\x1bOR", 61},     {"\x1bOS", 62},      {"\x1b[11~", 59},   {"\x1b[15~", 63},   {"\x1b[17~", 64},
        {"\x1b[21~", 68},   {"\x1b[23~", 133},   {"\x1b[24~", 134},  {"\x1b[[A", 59},    {"\x1b[[E", 63},
        {"\x1b[Z", 15},     {"\x1b[1;5D", 115},  {"\x1b[1;5C", 116}, {"\x1b[1;3A", 152}, {"\x1b[1;2P", 84},
        {"\x1b[15;5~", 98}, {"\x1b[24;5~", 138}, {"\x1b[3;3~", 163}, {"\x1b[1;2A", 72},  {"\x1b[23;2~", 135},
    };
    for (const Sequence& sequence : sequences) {
        std::string bytes = sequence.bytes;
        Decoded decoded = Decode(bytes);
        ASSERT_EQ(decoded.kind, Decoding::Key) << bytes.substr(1);
        EXPECT_EQ(decoded.used, bytes.size()) << bytes.substr(1);
        EXPECT_EQ(decoded.event.kind, platform::console::EventKind::Press);
        EXPECT_EQ(decoded.event.character, 0) << bytes.substr(1);
        EXPECT_EQ(decoded.event.scanCode, sequence.scanCode) << bytes.substr(1);
    }
}

TEST(KeyDecoderTest, PlainBytesAreCharactersDelIsBackspaceLfIsEnter) {
    EXPECT_EQ(Decode("y").event.character, 'y');
    EXPECT_EQ(Decode("\r").event.character, 13);
    EXPECT_EQ(Decode("\n").event.character, 13);  // an Enter typed ahead, turned into LF
    EXPECT_EQ(Decode("\x7f").event.character, 8);
    EXPECT_EQ(Decode("\x03").event.character, 3);
    EXPECT_EQ(Decode("\xc3\xa9").event.character, 0xc3);  // UTF-8 goes on byte by byte
    EXPECT_EQ(Decode("\xc3\xa9").used, 1u);
    Decoded nul = Decode(std::string(1, '\0'));  // Ctrl+Space: 0 then 3
    EXPECT_EQ(nul.event.character, 0);
    EXPECT_EQ(nul.event.scanCode, 3);
}

TEST(KeyDecoderTest, AnEscAloneIsTheEscKeyOnceNothingFollows) {
    EXPECT_EQ(Decode("\x1b").kind, Decoding::Incomplete);
    EXPECT_EQ(Decode("\x1b[1;5").kind, Decoding::Incomplete);
    EXPECT_EQ(Decode("\x1bO").kind, Decoding::Incomplete);
    Decoded esc = Decode("\x1b", false);
    EXPECT_EQ(esc.kind, Decoding::Key);
    EXPECT_EQ(esc.event.character, 27);
    EXPECT_EQ(esc.used, 1u);
    // A sequence cut short is an Esc; the rest is read as typed.
    Decoded cut = Decode("\x1b[1;5", false);
    EXPECT_EQ(cut.event.character, 27);
    EXPECT_EQ(cut.used, 1u);
    Decoded twice = Decode("\x1b\x1b[A");
    EXPECT_EQ(twice.event.character, 27);
    EXPECT_EQ(twice.used, 1u);
}

TEST(KeyDecoderTest, AltWithALetterOrDigitIsSpecial) {
    Decoded altX = Decode("\x1bx");
    EXPECT_EQ(altX.kind, Decoding::Key);
    EXPECT_TRUE(altX.event.leftAltDown);
    EXPECT_EQ(altX.event.scanCode, 45);
    EXPECT_EQ(altX.used, 2u);
    EXPECT_EQ(Decode("\x1bQ").event.scanCode, 16);
    EXPECT_EQ(Decode("\x1b"
                     "1")
                  .event.scanCode,
              120);
    EXPECT_EQ(Decode("\x1b"
                     "0")
                  .event.scanCode,
              129);
    EXPECT_EQ(Decode("\x1bO", false).event.scanCode, 24);  // Alt+O, not the start of a sequence
}

TEST(KeyDecoderTest, KeypadInApplicationModeGivesItsKeys) {
    Decoded enter = Decode("\x1bOM");
    EXPECT_EQ(enter.event.character, 13);
    EXPECT_EQ(enter.event.scanCode, platform::console::scan::kKeypadEnter);
    EXPECT_TRUE(enter.event.extended);
    Decoded slash = Decode("\x1bOo");
    EXPECT_EQ(slash.event.character, '/');
    EXPECT_EQ(slash.event.scanCode, platform::console::scan::kKeypadSlash);
    EXPECT_TRUE(slash.event.extended);
    EXPECT_EQ(Decode("\x1bOp").event.character, '0');
    EXPECT_EQ(Decode("\x1bOy").event.character, '9');
    EXPECT_EQ(Decode("\x1bOk").event.character, '+');
}

TEST(KeyDecoderTest, SequencesThatAreNoKeysAreSkippedWhole) {
    const char* noKeys[] = {"\x1b[200~", "\x1b[12;40R", "\x1b[<0;3;4M", "\x1b[I", "\x1b[99~", "\x1bOz"};
    for (const char* bytes : noKeys) {
        Decoded decoded = Decode(bytes);
        EXPECT_EQ(decoded.kind, Decoding::Ignored) << std::string(bytes).substr(1);
        EXPECT_EQ(decoded.used, std::string(bytes).size()) << std::string(bytes).substr(1);
    }
}

// Esc [ 1 ; m R is both F3 with modifiers and a cursor report of row 1: it
// is a report only while one is awaited, and then never a key.
TEST(KeyDecoderTest, AnAnswerEndingInRIsAReportOnlyWhileOneIsAwaited) {
    struct Case {
        const char* bytes;
        bool reportAwaited;
        Decoding kind;
        int scanCode;
    } cases[] = {
        {"\x1b[1;5R", false, Decoding::Key, 96},      {"\x1b[1;5R", true, Decoding::CursorReport, 0},
        {"\x1b[1;2R", false, Decoding::Key, 86},      {"\x1b[12;40R", true, Decoding::CursorReport, 0},
        {"\x1b[12;40R", false, Decoding::Ignored, 0}, {"\x1b[?12;40R", true, Decoding::Ignored, 0},
    };
    for (const Case& c : cases) {
        std::string bytes = c.bytes;
        Decoded decoded = Decode(bytes + "x", true, c.reportAwaited);
        EXPECT_EQ(decoded.kind, c.kind) << bytes.substr(1) << " awaited " << c.reportAwaited;
        EXPECT_EQ(decoded.used, bytes.size()) << bytes.substr(1);
        if (c.kind == Decoding::Key) {
            EXPECT_EQ(decoded.event.scanCode, c.scanCode) << bytes.substr(1);
        }
    }
}

TEST(KeyDecoderTest, OnlyTheFirstKeyIsTakenFromSeveral) {
    Decoded up = Decode("\x1b[Ax\x1b[B");
    EXPECT_EQ(up.event.scanCode, 72);
    EXPECT_EQ(up.used, 3u);
}

TEST(KeyDecoderTest, CursorReportIsFoundAmongTypedKeys) {
    std::string bytes = "ab\x1b[12;40Rcd";
    int row = 0, column = 0;
    std::size_t start = 0, length = 0;
    ASSERT_TRUE(FindCursorReport(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &row, &column,
                                 &start, &length));
    EXPECT_EQ(row, 12);
    EXPECT_EQ(column, 40);
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(length, 8u);
    const char* notReports[] = {"\x1b[12;40", "\x1b[A", "\x1b[;5R", "\x1b[5R", "12;40R"};
    for (const char* text : notReports) {
        std::string other = text;
        EXPECT_FALSE(FindCursorReport(reinterpret_cast<const std::uint8_t*>(other.data()), other.size(), &row, &column,
                                      &start, &length))
            << other.substr(1);
    }
}

}  // namespace
