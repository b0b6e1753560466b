// TOLVA run as a real process with its keys piped in. Its text is drawn into
// a console window only, so these tests look at files and exit codes; the
// screen is checked in a real terminal (tolva_terminal_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>

#include "part_files.h"
#include "tool_test.h"

namespace fs = std::filesystem;
using namespace test_support;

namespace {

class Joiner : public ToolTest {
protected:
    ProcessResult Join(const std::string& keys, const std::string& flag = "") {
        std::vector<std::string> arguments{"out.dat", "part", "1"};
        if (!flag.empty()) arguments.push_back(flag);
        return Run("TOLVA", arguments, keys);
    }
    std::string MakeParts(std::initializer_list<std::size_t> sizes) { return ::MakeParts(folder.Path(), sizes); }
    std::string Output() { return ReadWholeFile(folder / "out.dat"); }
};

}  // namespace

TEST_F(Joiner, NormalModeJoinsEveryPartUntilOneIsMissing) {
    std::string joined = MakeParts({1433600, 1433600, 132800});
    ProcessResult result = Join("y\nx\n");
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.output, "");  // drawn text never reaches a redirected output
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, WithoutPartOneTheOutputIsLeftEmpty) {
    WriteWholeFile(folder / "out.dat", "earlier contents");
    ProcessResult result = Join("y\nx\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::exists(folder / "out.dat"));
    EXPECT_EQ(Output(), "");
}

TEST_F(Joiner, RepliesAreTakenInAnyLetterCase) {
    std::string joined = MakeParts({5000, 70000});
    ProcessResult result = Join("YES\nG\nX\n");  // G looks for part 3 once more
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, FloppyModeEndsAtTheReadyPromptWithX) {
    MakeParts({1000});
    ProcessResult result = Join("y\nX\n", "F");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Output(), "");
    // Enter at each ready prompt appends the part; x at the third ends.
    std::string joined = MakeParts({1000, 2000});
    result = Join("y\n\n\nx\n", "f");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, AnEmptyPartIsAppendedAsNothing) {
    std::string joined = MakeParts({3000, 0, 4000});
    ProcessResult result = Join("y\nx\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, AnUnknownReplyToTheMissingPartQuestionAsksAgain) {
    std::string joined = MakeParts({3000, 4000});
    ProcessResult result = Join("y\nq\n x\nx \nx\n");
    EXPECT_EQ(result.exitCode, 0) << result.errors;  // never 103 for a part that is not open
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, ARefusalTouchesNothing) {
    MakeParts({1000});
    WriteWholeFile(folder / "out.dat", "keep me");
    for (const char* keys : {"n\n", "\n", " y\n", "y \n"}) {
        ProcessResult result = Join(keys);
        EXPECT_EQ(result.exitCode, 0) << keys;
        EXPECT_EQ(Output(), "keep me") << keys;
    }
}

TEST_F(Joiner, MissingArgumentsEndAfterTheHelpText) {
    MakeParts({1000});
    for (std::vector<std::string> arguments : {std::vector<std::string>{},
                                               {"out.dat", "part"},
                                               {"out.dat", "part", "0"},
                                               {"out.dat", "part", "-1"},
                                               {"", "part", "1"},
                                               {"out.dat", "", "1"}}) {
        ProcessResult result = Run("TOLVA", arguments, "y\nx\n");
        EXPECT_EQ(result.exitCode, 0);
        // Without a terminal the help text goes to standard error, for a log.
        EXPECT_TRUE(result.errors.starts_with("TOLVA outfile infile size F")) << result.errors;
        EXPECT_FALSE(fs::exists(folder / "out.dat"));
    }
}

TEST_F(Joiner, TheEndOfPipedKeysEndsWithReport161) {
    std::string joined = MakeParts({1000});
    ProcessResult result = Join("");  // no reply to the confirmation at all
    EXPECT_TRUE(EndedWithReport(result, 161));
    EXPECT_FALSE(fs::exists(folder / "out.dat"));
    result = Join("y\n");  // no reply to the missing-part question
    EXPECT_TRUE(EndedWithReport(result, 161));
    EXPECT_EQ(Output(), joined);
}

TEST_F(Joiner, AnOutputThatCannotBeCreatedEndsWithTheReport) {
    MakeParts({1000});
    EXPECT_TRUE(EndedWithReport(Run("TOLVA", {"no-folder/out.dat", "part", "1"}, "y\nx\n"), 3));
}

TEST_F(Joiner, AReadOnlyPartCountsAsMissing) {
    std::string joined = MakeParts({1000, 2000});
    MakeReadOnly(folder / "part2.zip");
    ProcessResult result = Join("y\nx\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Output(), joined.substr(0, 1000));
}

TEST_F(Joiner, AnySetTheSplitterWritesComesBackByteForByte) {
    struct Case {
        std::size_t length;
        const char* units;
    } cases[] = {{0, "1"}, {1433599, "1"}, {1433600, "1"}, {1433601, "1"}, {3000000, "2"}};
    for (const Case& c : cases) {
        for (const auto& entry : fs::directory_iterator(folder.Path())) fs::remove(entry.path());
        std::string bytes = PatternBytes(c.length, static_cast<unsigned>(c.length));
        WriteWholeFile(folder / "in.dat", bytes);
        ASSERT_EQ(Run("MORVANTE", {"in.dat", "part", c.units}, "y\n").exitCode, 0);
        std::string cat;
        for (int n = 1; fs::exists(folder / ("part" + std::to_string(n) + ".zip")); ++n) {
            cat += ReadWholeFile(folder / ("part" + std::to_string(n) + ".zip"));
        }
        ProcessResult result = Run("TOLVA", {"out.dat", "part", c.units}, "y\nx\n");
        EXPECT_EQ(result.exitCode, 0) << c.length;
        EXPECT_EQ(Output(), bytes) << c.length;
        EXPECT_EQ(Output(), cat) << c.length;
    }
}
