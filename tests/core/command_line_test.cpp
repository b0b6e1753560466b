#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core.h"

namespace {

// All arguments of a line after the program name.
std::vector<std::string> Split(std::string_view line) {
    std::vector<std::string> arguments;
    ShortText argument;
    for (int n = 1; CommandLineArgument(line, n, &argument); ++n) arguments.emplace_back(argument.View());
    return arguments;
}

using Arguments = std::vector<std::string>;

}  // namespace

TEST(CommandLine, BlanksTabsAndControlBytesSeparateArguments) {
    EXPECT_EQ(Split("prog  a\tb\x01"
                    "c   "),
              (Arguments{"a", "b", "c"}));
    EXPECT_EQ(Split("prog"), Arguments{});
    EXPECT_EQ(Split("   "), Arguments{});
    ShortText name;
    ASSERT_TRUE(CommandLineArgument("  C:\\tools\\MORVANTE.EXE big.dat", 0, &name));
    EXPECT_EQ(name.View(), "C:\\tools\\MORVANTE.EXE");
}

TEST(CommandLine, QuotesKeepBlanksAndVanish) {
    EXPECT_EQ(Split("prog \"my file.dat\" x"), (Arguments{"my file.dat", "x"}));
    EXPECT_EQ(Split("prog a\"b c\"d"), (Arguments{"ab cd"}));
    EXPECT_EQ(Split("prog \"\t\""), (Arguments{"\t"}));
}

TEST(CommandLine, DoubledQuotesVanishWithoutEndingTheQuotedPart) {
    EXPECT_EQ(Split("prog \"a\"\"b c\" d"), (Arguments{"ab c", "d"}));
    EXPECT_EQ(Split("prog a\"\"b"), (Arguments{"ab"}));
    EXPECT_EQ(Split("prog \"\" x"), (Arguments{"", "x"}));
}

TEST(CommandLine, AnOpenQuoteRunsToTheEndAndBackslashIsOrdinary) {
    EXPECT_EQ(Split("prog \"a b  c"), (Arguments{"a b  c"}));
    EXPECT_EQ(Split("prog a\\\"b c\""), (Arguments{"a\\b c"}));
}

TEST(CommandLine, ArgumentsAreCutTo255Bytes) {
    std::string line = "prog " + std::string(300, 'x') + " y";
    EXPECT_EQ(Split(line), (Arguments{std::string(255, 'x'), "y"}));
    ShortText argument;
    ASSERT_TRUE(CommandLineArgument(line, 1, &argument));
    EXPECT_TRUE(argument.cut);
    ASSERT_TRUE(CommandLineArgument("prog \"" + std::string(255, 'x') + "\"\"\"", 1, &argument));
    EXPECT_FALSE(argument.cut);  // quotes are not bytes of the argument
}
