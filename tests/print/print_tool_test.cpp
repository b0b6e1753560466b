// DUSKAR and DUSKARI run as real processes: files in, files out, exit codes.
// Their messages are drawn on the console only, so they are checked on a
// terminal elsewhere; here standard output is a pipe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "capture_images.h"
#include "tool_test.h"

namespace fs = std::filesystem;
using namespace test_support;
using print_test::CaptureImage;
using print_test::Printed;

namespace {

constexpr bool kInverting[] = {false, true};
const char* ToolName(bool inverted) { return inverted ? "DUSKARI" : "DUSKAR"; }

// The converter's own messages, which without a terminal go to standard
// error as they would be drawn.
const std::string kHelpStart = "FOR PROFESSIONAL ORVIK PRODUCTION";
const std::string kOpenFailure =
    "pls chk such as the filenames and/or the read/write\r\nsettings for this folder; there is also possibly\r\n"
    "relevant info given when you type just   ./dux \r\n";
const std::string kSizeFailure = "\r\npls chk size of this image file.\r\n./dux   gives info on this program.\r\n";
const std::string kNothingWritten = "pls chk folder-write-permissions\r\n";

class PrintConverter : public ToolTest {
protected:
    ProcessResult Run(bool inverted, const std::vector<std::string>& arguments, long fileSizeLimit = -1) {
        ProcessOptions options;
        options.fileSizeLimit = fileSizeLimit;
        return ToolTest::Run(ToolName(inverted), arguments, "", options);
    }

    // Converts `input` from in.bmp to out.bmp and checks a success, quiet
    // but for the message of an empty input.
    std::string Convert(bool inverted, const std::string& input) {
        WriteWholeFile(folder / "in.bmp", input);
        ProcessResult result = Run(inverted, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_EQ(result.errors, input.empty() ? kNothingWritten : "");
        return ReadWholeFile(folder / "out.bmp");
    }
};

}  // namespace

TEST_F(PrintConverter, ACaptureImageKeepsEveryByteButThePalette) {
    std::string input = CaptureImage();
    for (bool inverted : kInverting) {
        std::string output = Convert(inverted, input);
        ASSERT_EQ(output.size(), input.size());
        EXPECT_TRUE(output == Printed(input, inverted)) << ToolName(inverted);
        EXPECT_EQ(output.compare(0, 54, input, 0, 54), 0);
        EXPECT_EQ(output.compare(1078, std::string::npos, input, 1078), 0);
        EXPECT_EQ(ReadWholeFile(folder / "in.bmp"), input);
    }
}

TEST_F(PrintConverter, InvertingAStraightResultEqualsInvertingTheOriginal) {
    std::string input = CaptureImage(7);
    std::string straight = Convert(false, input);
    EXPECT_TRUE(Convert(true, straight) == Convert(true, input));
}

TEST_F(PrintConverter, InputsOfAnyLengthUpToTheLimitAreConverted) {
    // 55 ends with the blue byte of the first entry, 57 with its red byte.
    for (std::size_t length : {1u, 54u, 55u, 57u, 600u, 1077u, 1078u, 32768u, 32769u, 5373952u}) {
        std::string input = PatternBytes(length, static_cast<unsigned>(length));
        for (bool inverted : kInverting) {
            EXPECT_TRUE(Convert(inverted, input) == Printed(input, inverted)) << length << ' ' << ToolName(inverted);
        }
    }
}

TEST_F(PrintConverter, AnInputAboveTheLimitCreatesNoOutput) {
    WriteWholeFile(folder / "in.bmp", PatternBytes(5373953));
    for (bool inverted : kInverting) {
        ProcessResult result = Run(inverted, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.errors, kSizeFailure);
        EXPECT_FALSE(fs::exists(folder / "out.bmp"));
    }
}

TEST_F(PrintConverter, AnEmptyInputGivesAnEmptyOutput) {
    for (bool inverted : kInverting) {
        fs::remove(folder / "out.bmp");
        EXPECT_EQ(Convert(inverted, ""), "");
        EXPECT_TRUE(fs::exists(folder / "out.bmp"));
    }
}

TEST_F(PrintConverter, MissingArgumentsOrAnInputThatCannotBeOpenedTouchNoFile) {
    WriteWholeFile(folder / "readonly.bmp", CaptureImage());
    MakeReadOnly(folder / "readonly.bmp");
    fs::create_directory(folder / "folder.bmp");
    const struct {
        std::vector<std::string> arguments;
        bool help;  // else the open failure's message
    } runs[] = {{{}, true},
                {{"readonly.bmp"}, true},
                {{"", "out.bmp"}, true},
                {{"readonly.bmp", ""}, true},
                {{"absent.bmp", "out.bmp"}, false},
                {{"no-folder/in.bmp", "out.bmp"}, false},
                {{"readonly.bmp", "out.bmp"}, false},
                {{"folder.bmp", "out.bmp"}, false}};
    for (bool inverted : kInverting) {
        for (const auto& run : runs) {
            ProcessResult result = Run(inverted, run.arguments);
            EXPECT_EQ(result.exitCode, 0) << result.errors;
            if (run.help) {
                EXPECT_TRUE(result.errors.starts_with(kHelpStart)) << result.errors;
            } else {
                EXPECT_EQ(result.errors, kOpenFailure);
            }
        }
    }
    EXPECT_EQ(FolderContents(folder.Path()), (std::vector<std::string>{"folder.bmp", "readonly.bmp"}));
    EXPECT_EQ(ReadWholeFile(folder / "readonly.bmp"), CaptureImage());
}

TEST_F(PrintConverter, OutputsThatCannotBeCreatedOrWrittenEndWithTheReport) {
    WriteWholeFile(folder / "in.bmp", CaptureImage());
    for (bool inverted : kInverting) {
        EXPECT_TRUE(EndedWithReport(Run(inverted, {"in.bmp", "no-folder/out.bmp"}), 3));
        EXPECT_TRUE(EndedWithReport(Run(inverted, {"in.bmp", "/dev/full"}), 101));
        EXPECT_TRUE(EndedWithReport(Run(inverted, {"in.bmp", "out.bmp"}, 100000), 101));
        EXPECT_EQ(fs::file_size(folder / "out.bmp"), 100000u);  // what the system took before the failure
    }
}

TEST_F(PrintConverter, ALongerExistingOutputIsCutToTheNewLength) {
    std::string input = CaptureImage();
    WriteWholeFile(folder / "out.bmp", PatternBytes(2000000, 9));
    EXPECT_TRUE(Convert(true, input) == Printed(input, true));
}

TEST_F(PrintConverter, ConvertingInPlaceReplacesTheInputOnlyWhenComplete) {
    std::string input = CaptureImage(3);
    WriteWholeFile(folder / "image.bmp", input);
    fs::permissions(folder / "image.bmp", fs::perms::owner_read | fs::perms::owner_write);
    // Every failure on the way leaves the input whole: the print sweep.
    ProcessResult result = Run(false, {"image.bmp", "./image.bmp"});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_TRUE(ReadWholeFile(folder / "image.bmp") == Printed(input, false));
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"image.bmp"});
    EXPECT_EQ(fs::status(folder / "image.bmp").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(PrintConverter, SimultaneousInPlaceConversionsInOneFolderKeepTheirOwnImages) {
    constexpr int kFiles = 6;
    const std::string names[kFiles] = {"q0", "q1", "q2", "q3", "q4", "q5"};
    std::string command = "cd " + folder.Path().string() + " && (";
    for (int i = 0; i < kFiles; ++i) {
        WriteWholeFile(folder / names[i], CaptureImage(100 + i));
        command.append(ToolPath("DUSKARI").string()).append(2, ' ');
        command.append(names[i]).append(1, ' ').append(names[i]).append(" & ");
    }
    ASSERT_EQ(std::system(command.append("wait) 2>/dev/null").c_str()), 0);
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_TRUE(ReadWholeFile(folder / names[i]) == Printed(CaptureImage(100 + i), true)) << names[i];
    }
    EXPECT_EQ(FolderContents(folder.Path()).size(), static_cast<std::size_t>(kFiles));
}
