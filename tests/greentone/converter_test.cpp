// The greentone converters as real processes: whole images against a
// calculation of the test's own, the header block, wrong-size and empty
// inputs, early ends, in-place conversion and failing outputs.
//
// Messages are drawn on a terminal only, so these tests look at files and
// exit codes; the messages are checked in a terminal session of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "run_process.h"

namespace {

using namespace test_support;

struct Tool {
    const char* name;
    std::size_t pixelDataOffset;
    std::size_t expectedSize;
    bool highContrast;
};

const Tool kTools[] = {
    {"TALMIROX3", 138, 750138, true},
    {"TALMIRO3", 54, 750054, true},
    {"TALMIROX", 138, 750138, false},
};

constexpr std::size_t kHeaderBlock = 1078;
constexpr std::size_t kOutputSize = 251078;
constexpr std::size_t kBlock = 32768;
constexpr std::size_t kBuffer = 850000;

// --- the test's own calculation of an output ------------------------------------

int ExpectedIndex(bool highContrast, unsigned char blue, unsigned char green, unsigned char red) {
    if (highContrast) return std::min((blue + green + red) / 3, 254);
    int weightedBlue = blue * 55 / 100, weightedGreen = green * 98 / 100, weightedRed = red * 78 / 100;
    if (weightedGreen > weightedBlue) return weightedGreen;
    return std::max(weightedRed, weightedBlue);
}

// What loading a file leaves in a converter's buffer. Each block read lands
// in the transfer block, which is never cleared, and the whole transfer block
// is copied, including after the read that finds the end; nothing goes past
// the buffer's end.
std::string LoadedBuffer(const std::string& file, std::string& transferBlock) {
    std::string buffer;
    std::size_t position = 0;
    while (buffer.size() < kBuffer) {
        std::size_t got = std::min(kBlock, file.size() - position);
        transferBlock.replace(0, got, file, position, got);
        position += got;
        buffer += transferBlock;
        if (got == 0) break;
    }
    buffer.resize(kBuffer, '\0');
    return buffer;
}

std::string ExpectedOutput(const Tool& tool, const std::string& palette, const std::string& input) {
    std::string transferBlock(kBlock, '\0');
    std::string output = LoadedBuffer(palette, transferBlock).substr(0, kHeaderBlock);
    std::string loaded = LoadedBuffer(input, transferBlock);
    for (std::size_t at = tool.pixelDataOffset; at < tool.expectedSize; at += 3) {
        output += static_cast<char>(ExpectedIndex(tool.highContrast, static_cast<unsigned char>(loaded[at]),
                                                  static_cast<unsigned char>(loaded[at + 1]),
                                                  static_cast<unsigned char>(loaded[at + 2])));
    }
    return output;
}

testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual.size() != expected.size()) {
        return testing::AssertionFailure() << "size " << actual.size() << ", expected " << expected.size();
    }
    auto [mine, theirs] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (mine == actual.end()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "first difference at byte " << (mine - actual.begin()) << ": "
                                       << int(static_cast<unsigned char>(*mine)) << ", expected "
                                       << int(static_cast<unsigned char>(*theirs));
}

// --- running a converter ----------------------------------------------------------

// Standard output goes to a file, as in batch use: the drawn messages never
// reach it, and what did reach it comes back as the output.
ProcessResult Convert(const ScratchFolder& folder, const Tool& tool, const std::vector<std::string>& arguments,
                      long fileSizeLimit = -1) {
    ProcessOptions options;
    options.folder = folder.Path();
    options.inputFromNullDevice = true;
    options.outputFile = folder.Path().parent_path() / (folder.Path().filename().string() + ".stdout");
    options.fileSizeLimit = fileSizeLimit;
    ProcessResult result = RunProcess(ToolPath(tool.name), arguments, options);
    result.output = ReadWholeFile(options.outputFile);
    std::filesystem::remove(options.outputFile);
    return result;
}

std::string Palette() { return PatternBytes(kHeaderBlock, 7); }

// An input whose header bytes are arbitrary too: the converters never read them.
std::string Image(const Tool& tool, unsigned seed = 3) { return PatternBytes(tool.expectedSize, seed); }

// Writes the palette file and the input image into the folder.
void WriteInputs(const ScratchFolder& folder, const std::string& palette, const std::string& input,
                 const std::string& inputName = "in.bmp") {
    WriteWholeFile(folder / "talmiro.dat", palette);
    WriteWholeFile(folder / inputName, input);
}

bool Exists(const std::filesystem::path& path) { return std::filesystem::exists(path); }

// The converters' own messages, which without a terminal go to standard
// error as they would be drawn.
const std::string kHelpStart = "TALMIRO and TALMIRO3 transforms";
const std::string kPaletteMessage =
    "\r\n    *********************pls be sure talmiro.dat\r\n    *********************is in same folder.\r\n"
    "    *********************this contains 'palette'.\r\n";
const std::string kInputMessage = "\r\n    *********************Pls check the input filename.\r\n";
const std::string kSizeMessage = "..............pls chk files and filenames\r\n";

// --- whole images ---------------------------------------------------------------------

TEST(GreentoneConverters, ConvertWholeImagesExactly) {
    for (const Tool& tool : kTools) {
        SCOPED_TRACE(tool.name);
        ScratchFolder folder;
        std::string palette = Palette();
        std::string input = Image(tool);
        // Black at the first triple and white at the last, the ends of both ranges.
        input.replace(tool.pixelDataOffset, 3, 3, '\0');
        input.replace(tool.expectedSize - 3, 3, 3, '\xff');
        WriteInputs(folder, palette, input);

        ProcessResult result = Convert(folder, tool, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.errors, "");
        std::string output = ReadWholeFile(folder / "out.bmp");
        EXPECT_TRUE(SameBytes(output, ExpectedOutput(tool, palette, input)));
        ASSERT_EQ(output.size(), kOutputSize);
        EXPECT_EQ(output.substr(0, kHeaderBlock), palette);
        EXPECT_EQ(output[kHeaderBlock], '\0');
        EXPECT_EQ(static_cast<unsigned char>(output[kOutputSize - 1]), tool.highContrast ? 254 : 249);
        EXPECT_EQ(ReadWholeFile(folder / "in.bmp"), input);
    }
}

TEST(GreentoneConverters, ReplaceAnExistingOutputWithoutAsking) {
    const Tool& tool = kTools[1];
    ScratchFolder folder;
    WriteInputs(folder, Palette(), Image(tool));
    WriteWholeFile(folder / "out.bmp", std::string(400000, 'x'));
    EXPECT_EQ(Convert(folder, tool, {"in.bmp", "out.bmp"}).exitCode, 0);
    EXPECT_TRUE(SameBytes(ReadWholeFile(folder / "out.bmp"), ExpectedOutput(tool, Palette(), Image(tool))));
}

TEST(GreentoneConverters, TakeTheHeaderBlockFromPaletteFilesOfAnySize) {
    const Tool& tool = kTools[0];
    for (std::size_t paletteSize : {std::size_t{0}, std::size_t{10}, kHeaderBlock, kOutputSize}) {
        SCOPED_TRACE(paletteSize);
        ScratchFolder folder;
        std::string palette = PatternBytes(paletteSize, 11);
        std::string input = Image(tool);
        WriteInputs(folder, palette, input);
        EXPECT_EQ(Convert(folder, tool, {"in.bmp", "out.bmp"}).exitCode, 0);

        std::string output = ReadWholeFile(folder / "out.bmp");
        std::string headerBlock = palette.substr(0, kHeaderBlock);
        headerBlock.resize(kHeaderBlock, '\0');
        ASSERT_EQ(output.size(), kOutputSize);
        EXPECT_EQ(output.substr(0, kHeaderBlock), headerBlock);
        EXPECT_TRUE(SameBytes(output, ExpectedOutput(tool, palette, input)));
    }
}

// --- inputs of the wrong size ------------------------------------------------------------

TEST(GreentoneConverters, WriteACompleteOutputForAnInputOfTheWrongSize) {
    const Tool& plainHeader = kTools[1];
    // The other header kind's size, a few bytes short, and far too short:
    // past the input's end the calculation maps what loading left in the buffer.
    struct Case {
        const Tool& tool;
        std::size_t inputSize;
    };
    const Case cases[] = {
        {kTools[0], plainHeader.expectedSize},
        {kTools[2], plainHeader.expectedSize},
        {kTools[1], kTools[0].expectedSize},
        {kTools[0], kTools[0].expectedSize - 2},
        {kTools[2], 100001},
        {kTools[1], 40000},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(testing::Message() << each.tool.name << " with " << each.inputSize << " bytes");
        ScratchFolder folder;
        std::string palette = PatternBytes(5000, 5);  // its bytes past 1078 fill the transfer block
        std::string input = PatternBytes(each.inputSize, 9);
        WriteInputs(folder, palette, input);
        ProcessResult result = Convert(folder, each.tool, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, "");  // the size message is drawn on a terminal only
        EXPECT_TRUE(SameBytes(ReadWholeFile(folder / "out.bmp"), ExpectedOutput(each.tool, palette, input)));
    }
}

TEST(GreentoneConverters, MapAnEmptyInputFromWhatThePaletteLoadingLeft) {
    for (const Tool& tool : kTools) {
        SCOPED_TRACE(tool.name);
        ScratchFolder folder;
        std::string palette = PatternBytes(kHeaderBlock, 13);
        WriteInputs(folder, palette, "");
        EXPECT_EQ(Convert(folder, tool, {"in.bmp", "out.bmp"}).exitCode, 0);
        std::string output = ReadWholeFile(folder / "out.bmp");
        ASSERT_EQ(output.size(), kOutputSize);
        EXPECT_EQ(output.substr(0, kHeaderBlock), palette);

        // The input buffer holds the palette file and zeros: the triples up to
        // byte 1077 come from the palette file (the one at 1077 has only its
        // blue there), every later one is black.
        std::size_t straddling = (kHeaderBlock - 1 - tool.pixelDataOffset) / 3;
        ASSERT_EQ(tool.pixelDataOffset + 3 * straddling, kHeaderBlock - 1);
        for (std::size_t k = 0; k < straddling; ++k) {
            std::size_t at = tool.pixelDataOffset + 3 * k;
            ASSERT_EQ(static_cast<unsigned char>(output[kHeaderBlock + k]),
                      ExpectedIndex(tool.highContrast, palette[at], palette[at + 1], palette[at + 2]))
                << "pixel " << k;
        }
        EXPECT_EQ(static_cast<unsigned char>(output[kHeaderBlock + straddling]),
                  ExpectedIndex(tool.highContrast, palette[kHeaderBlock - 1], 0, 0));
        EXPECT_EQ(output.find_first_not_of('\0', kHeaderBlock + straddling + 1), std::string::npos);
    }
}

// Files longer than the buffers are loaded only as far as the buffers hold;
// the sanitizer build shows that no copy runs past them.
TEST(GreentoneConverters, LoadOverLongFilesOnlyAsFarAsTheBufferHolds) {
    const Tool& tool = kTools[2];
    for (std::size_t size :
         {std::size_t{786433}, std::size_t{819201}, std::size_t{850000}, std::size_t{850001}, std::size_t{2000000}}) {
        SCOPED_TRACE(size);
        ScratchFolder folder;
        std::string longFile = PatternBytes(size, 17);
        std::string palette = Palette();
        std::string input = Image(tool);

        WriteInputs(folder, palette, longFile);
        ProcessResult result = Convert(folder, tool, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.errors, kSizeMessage);
        EXPECT_TRUE(SameBytes(ReadWholeFile(folder / "out.bmp"), ExpectedOutput(tool, palette, longFile)));

        WriteInputs(folder, longFile, input);
        result = Convert(folder, tool, {"in.bmp", "out.bmp"});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.errors, "");
        std::string output = ReadWholeFile(folder / "out.bmp");
        EXPECT_EQ(output.substr(0, kHeaderBlock), longFile.substr(0, kHeaderBlock));
        EXPECT_TRUE(SameBytes(output, ExpectedOutput(tool, longFile, input)));
    }
}

// --- early ends: nothing is created or changed --------------------------------------------

TEST(GreentoneConverters, LeaveTheOutputUntouchedOnEveryEarlyEnd) {
    const Tool& tool = kTools[0];
    const std::string previous = "an earlier output";
    struct Case {
        const char* what;
        bool palette, paletteReadOnly, input, inputReadOnly;
        std::vector<std::string> arguments;
        const std::string& message;  // on standard error; the help text begins with it
    };
    const Case cases[] = {
        {"no arguments", true, false, true, false, {}, kHelpStart},
        {"one argument", true, false, true, false, {"in.bmp"}, kHelpStart},
        {"an empty output name", true, false, true, false, {"in.bmp", ""}, kHelpStart},
        {"an empty input name", true, false, true, false, {"", "out.bmp"}, kHelpStart},
        {"no palette file", false, false, true, false, {"in.bmp", "out.bmp"}, kPaletteMessage},
        {"neither palette file nor input", false, false, false, false, {"in.bmp", "out.bmp"}, kPaletteMessage},
        {"a read-only palette file", true, true, true, false, {"in.bmp", "out.bmp"}, kPaletteMessage},
        {"no input", true, false, false, false, {"in.bmp", "out.bmp"}, kInputMessage},
        {"a read-only input", true, false, true, true, {"in.bmp", "out.bmp"}, kInputMessage},
        {"a folder as input", true, false, false, false, {".", "out.bmp"}, kInputMessage},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        for (bool outputExists : {false, true}) {
            ScratchFolder folder;
            if (each.palette) WriteWholeFile(folder / "talmiro.dat", Palette());
            if (each.paletteReadOnly) MakeReadOnly(folder / "talmiro.dat");
            if (each.input) WriteWholeFile(folder / "in.bmp", Image(tool));
            if (each.inputReadOnly) MakeReadOnly(folder / "in.bmp");
            if (outputExists) WriteWholeFile(folder / "out.bmp", previous);

            ProcessResult result = Convert(folder, tool, each.arguments);
            EXPECT_EQ(result.exitCode, 0);
            EXPECT_EQ(result.output, "");
            EXPECT_TRUE(each.message == kHelpStart ? result.errors.starts_with(kHelpStart)
                                                   : result.errors == each.message)
                << result.errors;
            if (outputExists) {
                EXPECT_EQ(ReadWholeFile(folder / "out.bmp"), previous);
            } else {
                EXPECT_FALSE(Exists(folder / "out.bmp"));
            }
            if (each.input) {
                EXPECT_EQ(ReadWholeFile(folder / "in.bmp"), Image(tool));
            }
        }
    }
}

// --- in-place conversion --------------------------------------------------------------------

TEST(GreentoneConverters, ConvertAFileIntoItself) {
    const Tool& tool = kTools[1];
    for (const char* outputName : {"image.bmp", "./image.bmp", "../%s/image.bmp"}) {
        SCOPED_TRACE(outputName);
        ScratchFolder folder;
        WriteInputs(folder, Palette(), Image(tool), "image.bmp");
        std::string output = outputName;
        if (auto at = output.find("%s"); at != std::string::npos) {
            output.replace(at, 2, folder.Path().filename().string());
        }
        EXPECT_EQ(Convert(folder, tool, {"image.bmp", output}).exitCode, 0);
        EXPECT_TRUE(SameBytes(ReadWholeFile(folder / "image.bmp"), ExpectedOutput(tool, Palette(), Image(tool))));
        EXPECT_EQ(FolderContents(folder.Path()), (std::vector<std::string>{"image.bmp", "talmiro.dat"}));
    }
}

// --- failing outputs ----------------------------------------------------------------------------

TEST(GreentoneConverters, EndFailedOutputsWithTheRunTimeErrorReport) {
    const Tool& tool = kTools[2];
    ScratchFolder folder;
    WriteInputs(folder, Palette(), Image(tool));

    EXPECT_TRUE(EndedWithReport(Convert(folder, tool, {"in.bmp", "nowhere/out.bmp"}), 3));
    EXPECT_FALSE(Exists(folder / "nowhere"));
    EXPECT_TRUE(EndedWithReport(Convert(folder, tool, {"in.bmp", "/dev/full"}), 101));

    // A different file keeps what was written before the failure.
    ProcessResult limited = Convert(folder, tool, {"in.bmp", "out.bmp"}, 100000);
    EXPECT_EQ(limited.exitCode, 101);
    EXPECT_EQ(ReadWholeFile(folder / "out.bmp"), ExpectedOutput(tool, Palette(), Image(tool)).substr(0, 100000));
    EXPECT_EQ(ReadWholeFile(folder / "in.bmp"), Image(tool));
}

}  // namespace
