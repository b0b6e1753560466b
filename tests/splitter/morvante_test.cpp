// MORVANTE run as a real process: piped replies, captured dialogue, parts on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "tool_test.h"

namespace fs = std::filesystem;
using namespace test_support;

namespace {

constexpr std::size_t kUnit = 1433600;

const std::string kHelp =
    "MORVANTE infile outfile size F        (the F is optional) \r\n"
    "\r\n"
    "(please only a few letters for outfile, like   part\r\n"
    "and without extension, so MORVANDE can add   1.zip   to it;\r\n"
    "and note that size 1 means 1433600 bytes (as a floppy);\r\n"
    "also, if you want it to wait between each output give F also)\r\n"
    "An example:  MORVANTE test.zip part 1\r\n"
    "\r\n"
    "In Velka: It is a good idea to type D on a line first, to load CWSDPMI.\r\n"
    "        Type D before each run. This ensures full use of memory.\r\n"
    "\r\n"
    "This will gently create more files out of one file.\r\n"
    "If you use diskettes, take care to mark the number of each on each.\r\n";

class Splitter : public ToolTest {
protected:
    ProcessResult Split(const std::vector<std::string>& arguments, const std::string& keys = "",
                        const ProcessOptions& options = {}) {
        return Run("MORVANTE", arguments, keys, options);
    }

    // Splits `bytes` with the given unit count and checks every part against
    // its slice of the input; gives the number of parts.
    std::size_t SplitAndCompare(const std::string& bytes, int units, const std::string& extra = "") {
        WriteWholeFile(folder / "in.dat", bytes);
        std::vector<std::string> arguments{"in.dat", "part", std::to_string(units)};
        if (!extra.empty()) arguments.push_back(extra);
        ProcessResult result = Split(arguments, "y\n" + std::string(extra.empty() ? "" : "\n\n\n\n\n"));
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        std::size_t partSize = kUnit * static_cast<std::size_t>(units);
        std::size_t parts = bytes.size() / partSize + 1;
        for (std::size_t k = 1; k <= parts; ++k) {
            std::string name = "part" + std::to_string(k) + ".zip";
            EXPECT_TRUE(fs::exists(folder / name)) << name;
            EXPECT_EQ(ReadWholeFile(folder / name), bytes.substr((k - 1) * partSize, partSize)) << name;
        }
        EXPECT_FALSE(fs::exists(folder / ("part" + std::to_string(parts + 1) + ".zip")));
        // The count announced before the confirmation is the count written.
        EXPECT_NE(result.output.find("divided in about " + std::to_string(parts) + " parts\r\n"), std::string::npos)
            << result.output;
        return parts;
    }
};

}  // namespace

TEST_F(Splitter, WithoutArgumentsPrintsTheHelpTextOnly) {
    ProcessResult result = Split({});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, kHelp);
    EXPECT_EQ(result.errors, "");
}

TEST_F(Splitter, ASizeBelowOneEndsAfterTheHelpText) {
    WriteWholeFile(folder / "in.dat", "abc");
    for (const char* size : {"0", "", " 1", "+1", "-5"}) {
        ProcessResult result = Split({"in.dat", "part", size}, "y\n");
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, kHelp) << '"' << size << '"';
    }
    EXPECT_EQ(Split({"", "part", "1"}, "y\n").output, kHelp);
    EXPECT_EQ(Split({"in.dat", "", "1"}, "y\n").output, kHelp);
    EXPECT_FALSE(fs::exists(folder / "part1.zip"));
}

TEST_F(Splitter, ThreeMillionBytesMakeThreeParts) {
    std::string bytes = PatternBytes(3000000);
    WriteWholeFile(folder / "big.dat", bytes);
    ProcessResult result = Split({"big.dat", "part", "1"}, "y\r\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, kHelp +
                                 "\r\n"
                                 "The input file name is: big.dat\r\n"
                                 "The output file names are: part1.zip, part2.zip  etc\r\n"
                                 "The input file has size 3000000 bytes.\r\n"
                                 "The output will be given in size 1433600 bytes.\r\n"
                                 "That means that it will be divided in about 3 parts\r\n"
                                 "\r\n"
                                 "Is this what you intended? "
                                 "part1.zip\r\npart2.zip\r\npart3.zip\r\n"
                                 "You can combine these files by TOLVA Thanks\r\n"
                                 "\r\n");
    EXPECT_EQ(ReadWholeFile(folder / "part1.zip"), bytes.substr(0, kUnit));
    EXPECT_EQ(ReadWholeFile(folder / "part2.zip"), bytes.substr(kUnit, kUnit));
    EXPECT_EQ(ReadWholeFile(folder / "part3.zip"), bytes.substr(2 * kUnit));
    EXPECT_EQ(ReadWholeFile(folder / "big.dat"), bytes);  // the input is only read
}

TEST_F(Splitter, PartsAreWholeUnitsWithAnEmptyPartAfterAnExactMultiple) {
    EXPECT_EQ(SplitAndCompare("", 1), 1u);
    EXPECT_EQ(fs::file_size(folder / "part1.zip"), 0u);
    EXPECT_EQ(SplitAndCompare(PatternBytes(kUnit - 1), 1), 1u);
    EXPECT_EQ(SplitAndCompare(PatternBytes(kUnit), 1), 2u);
    EXPECT_EQ(fs::file_size(folder / "part2.zip"), 0u);
    EXPECT_EQ(SplitAndCompare(PatternBytes(kUnit + 1), 1), 2u);
    EXPECT_EQ(SplitAndCompare(PatternBytes(3000000), 2), 2u);
    EXPECT_EQ(fs::file_size(folder / "part2.zip"), 132800u);
}

TEST_F(Splitter, OnlyYAndYesInAnyCaseAreAccepted) {
    WriteWholeFile(folder / "in.dat", "abc");
    for (const char* reply : {"Y\n", "yes\n", "YES\n", "Yes\r\n"}) {
        fs::remove(folder / "part1.zip");
        ProcessResult result = Split({"in.dat", "part", "1"}, reply);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(fs::exists(folder / "part1.zip")) << reply;
    }
    fs::remove(folder / "part1.zip");
    for (const char* reply : {"n\n", "\n", " y\n", "y \n", "ye\n", ""}) {
        ProcessResult result = Split({"in.dat", "part", "1"}, reply);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.output.ends_with("Is this what you intended? ")) << '"' << reply << '"';
        EXPECT_FALSE(fs::exists(folder / "part1.zip")) << '"' << reply << '"';
    }
}

TEST_F(Splitter, FloppyModePausesBeforeEveryPartIncludingAnEmptyLastOne) {
    std::string bytes = PatternBytes(kUnit);
    WriteWholeFile(folder / "in.dat", bytes);
    const std::string pause = std::string(35, ' ') + "ENTER: \r\n";
    for (const char* flag : {"F", "f"}) {
        ProcessResult result = Split({"in.dat", "part", "1", flag}, "y\nfirst diskette\n\n");
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_NE(result.output.find("part1.zip\r\n" + pause + "part2.zip\r\n" + pause +
                                     "You can combine these files by TOLVA Thanks\r\n"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(ReadWholeFile(folder / "part1.zip"), bytes);
        EXPECT_EQ(fs::file_size(folder / "part2.zip"), 0u);
    }
    for (std::vector<std::string> arguments : {std::vector<std::string>{"in.dat", "part", "1", "FF"},
                                               {"in.dat", "part", "1", "-f"},
                                               {"in.dat", "part", "1", "x", "F"}}) {
        ProcessResult result = Split(arguments, "y\n");
        EXPECT_EQ(result.output.find("ENTER: "), std::string::npos) << arguments[3];
    }
}

TEST_F(Splitter, LargeUnitCountsAndSizesStayExact) {
    WriteWholeFile(folder / "in.dat", "abc");
    // 1498 and 524288 units overflow a 32-bit part size (the latter to 0).
    ProcessResult result = Split({"in.dat", "part", "1498"}, "y\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find("given in size 2147532800 bytes."), std::string::npos);
    result = Split({"in.dat", "part", "524288"}, "y\n");
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_NE(result.output.find("given in size 751619276800 bytes."), std::string::npos);
    EXPECT_EQ(ReadWholeFile(folder / "part1.zip"), "abc");
}

TEST_F(Splitter, AnInputThatCannotBeOpenedEndsWithTheReportAndCreatesNothing) {
    struct Case {
        std::string input;
        int number;
    } cases[] = {{"absent.dat", 2}, {"no-folder/in.dat", 3}, {"readonly.dat", 5}};
    WriteWholeFile(folder / "readonly.dat", "abc");
    MakeReadOnly(folder / "readonly.dat");
    for (const Case& c : cases) {
        ProcessResult result = Split({c.input, "part", "1"}, "y\n");
        EXPECT_EQ(result.exitCode, c.number) << c.input;
        EXPECT_TRUE(EndedWithReport(result, c.number));
        EXPECT_TRUE(result.output.ends_with("The output file names are: part1.zip, part2.zip  etc\r\n"));
        EXPECT_FALSE(fs::exists(folder / "part1.zip"));
        // The place is an offset inside the program: the same on the next
        // run, and within the program's file.
        EXPECT_EQ(Split({c.input, "part", "1"}, "y\n").errors, result.errors);
        std::size_t dollar = result.errors.find('$');
        ASSERT_NE(dollar, std::string::npos);
        EXPECT_LT(std::stoul(result.errors.substr(dollar + 1, 8), nullptr, 16), fs::file_size(ToolPath("MORVANTE")));
    }
}

TEST_F(Splitter, APartThatCannotBeCreatedEndsWithTheReport) {
    WriteWholeFile(folder / "in.dat", "abc");
    ProcessResult result = Split({"in.dat", "no-folder/part", "1"}, "y\n");
    EXPECT_TRUE(EndedWithReport(result, 3));
    EXPECT_TRUE(result.output.ends_with("no-folder/part1.zip\r\n"));
}

TEST_F(Splitter, AFullDiskEndsWith101AndKeepsWhatWasWritten) {
    std::string bytes = PatternBytes(3 * kUnit);
    WriteWholeFile(folder / "in.dat", bytes);
    ProcessOptions options;
    options.fileSizeLimit = static_cast<long>(kUnit + 1000);  // no file may grow past this
    ProcessResult result = Split({"in.dat", "big", "2"}, "y\n", options);
    EXPECT_TRUE(EndedWithReport(result, 101));
    EXPECT_EQ(ReadWholeFile(folder / "big1.zip"), bytes.substr(0, kUnit + 1000));
    EXPECT_FALSE(fs::exists(folder / "big2.zip"));
    EXPECT_EQ(result.output.find("You can combine"), std::string::npos);
}

// A standard stream closed at the start must not become the first file the
// splitter opens: the dialogue would be read from the input, or the report
// written into it.
TEST_F(Splitter, AClosedStandardStreamNeverReachesAFile) {
    struct Case {
        int closed;
        const char* base;
        int exitCode;
        bool partsWritten;
    } cases[] = {
        {0, "part", 0, false},            // no reply comes: nothing is cut
        {1, "part", 0, true},             // the dialogue goes nowhere; the parts are made
        {2, "no-folder/part", 3, false},  // the report goes nowhere; the exit code tells
    };
    // An input that reads as a "yes", so that taking it for the reply shows.
    std::string bytes = "y\n" + PatternBytes(kUnit + 300);
    for (const Case& c : cases) {
        ScratchFolder scratch;
        WriteWholeFile(scratch / "in.dat", bytes);
        ProcessOptions options;
        options.folder = scratch.Path();
        options.closedDescriptor = c.closed;
        ProcessResult result = Split({"in.dat", c.base, "1"}, "y\n", options);
        EXPECT_EQ(result.exitCode, c.exitCode) << "closed " << c.closed;
        EXPECT_EQ(ReadWholeFile(scratch / "in.dat"), bytes) << "closed " << c.closed;
        EXPECT_EQ(fs::exists(scratch / "part1.zip"), c.partsWritten) << "closed " << c.closed;
        if (c.partsWritten) {
            EXPECT_EQ(ReadWholeFile(scratch / "part1.zip"), bytes.substr(0, kUnit));
            EXPECT_EQ(ReadWholeFile(scratch / "part2.zip"), bytes.substr(kUnit));
        }
    }
}
