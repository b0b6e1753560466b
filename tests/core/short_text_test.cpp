#include <gtest/gtest.h>

#include "core.h"
#include "partset.h"

TEST(ShortText, StoringMoreThan255BytesKeepsTheFirst255AndMarksTheCut) {
    std::string text(300, 'x');
    text[254] = 'y';
    ShortText cut = CopyText(text);
    EXPECT_EQ(cut.length, 255);
    EXPECT_EQ(cut.bytes[254], 'y');
    EXPECT_TRUE(cut.cut);
    EXPECT_TRUE(LowerLetters(cut).cut);
    ShortText joined = JoinTexts({std::string(200, 'a'), std::string(100, 'b')});
    EXPECT_EQ(joined.View(), std::string(200, 'a') + std::string(55, 'b'));
    EXPECT_TRUE(joined.cut);
    EXPECT_FALSE(JoinTexts({std::string(200, 'a'), std::string(55, 'b')}).cut);
}

TEST(ShortText, LowerLettersChangesOnlyAToZ) {
    EXPECT_EQ(LowerLetters(CopyText("YeS [@Z] \xC4")).View(), "yes [@z] \xC4");
}

TEST(ShortText, DecimalTextAndBlanks) {
    EXPECT_EQ(DecimalText(0).View(), "0");
    EXPECT_EQ(DecimalText(-25).View(), "-25");
    EXPECT_EQ(DecimalText(2147483647).View(), "2147483647");
    EXPECT_EQ(DecimalText(INT64_MIN).View(), "-9223372036854775808");
    EXPECT_EQ(Blanks(35).View(), std::string(35, ' '));
    EXPECT_EQ(Blanks(300).length, 255);
    EXPECT_TRUE(Blanks(-1).Empty());
}

TEST(DigitsToNumber, ReadsEveryCharacterAsItsCodeMinus48WithWrapAround) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"", 0},
        {"1", 1},
        {"01", 1},
        {"0012", 12},
        {"12a", 169},
        {"a", 49},
        {"A", 17},
        {"F", 22},
        {"-5", -25},
        {" 1", -159},
        {"+1", -49},
        {"1.5", 85},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"10000000000", 1410065408},
    };
    for (const Case& c : cases) EXPECT_EQ(DigitsToNumber(CopyText(c.text), 10), c.value) << '"' << c.text << '"';
    EXPECT_EQ(DigitsToNumber(CopyText("FF"), 16), 22 * 16 + 22);
}

TEST(PartFileName, JoinsBaseNumberAndExtension) {
    EXPECT_EQ(PartFileName(CopyText("part"), 1).View(), "part1.zip");
    EXPECT_EQ(PartFileName(CopyText("part"), 10).View(), "part10.zip");
    EXPECT_EQ(PartFileName(CopyText("a:\\part"), 1).View(), "a:\\part1.zip");
}

TEST(PartFileName, CutsAt255BytesAndMarksTheCut) {
    ShortText base = CopyText(std::string(250, 'b'));
    EXPECT_EQ(PartFileName(base, 1).View(), std::string(250, 'b') + "1.zip");
    EXPECT_FALSE(PartFileName(base, 1).cut);
    EXPECT_EQ(PartFileName(base, 10).View(), std::string(250, 'b') + "10.zi");
    EXPECT_TRUE(PartFileName(base, 10).cut);
}
