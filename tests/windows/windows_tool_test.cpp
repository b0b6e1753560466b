// The tools as Windows programs under Wine: processor faults through the
// run-time error report, arguments split from the command line, in-place
// conversion with Windows folder names and by several runs at once,
// read-only files left whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "run_process.h"

namespace fs = std::filesystem;
using namespace test_support;

TEST(ProcessorFaults, EndThroughTheReportWithTheirNumbers) {
    struct {
        const char* mode;
        int number;
    } faults[] = {{"divide", 200}, {"memory", 216}, {"call", 216}, {"stack", 202}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.mode);
        ProcessResult result = RunProcess(FAULT_PROBE, {fault.mode});
        EXPECT_TRUE(EndedWithReport(result, fault.number));
        EXPECT_EQ(result.output, "");
        // A place in the program, also where the fault came at address 0.
        EXPECT_EQ(result.errors.find("$00000000"), std::string::npos) << result.errors;
    }
    EXPECT_TRUE(EndedWithReport(RunProcess(FAULT_PROBE, {"check", "150"}), 150));
}

TEST(CommandLine, QuotedArgumentsKeepTheirBlanks) {
    ScratchFolder folder;
    std::string bytes = PatternBytes(5000);
    WriteWholeFile(folder / "my file.dat", bytes);
    ProcessOptions options;
    options.folder = folder.Path();
    options.input = "y\r\n";
    ProcessResult result = RunProcess(ToolPath("MORVANTE"), {"my file.dat", "a part", "1"}, options);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_NE(result.output.find("The input file name is: my file.dat\r\n"), std::string::npos) << result.output;
    EXPECT_EQ(ReadWholeFile(folder / "a part1.zip"), bytes);
}

TEST(InPlaceConversion, StaysInTheFolderOfABackslashName) {
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    std::string image = PatternBytes(787510, 5);
    WriteWholeFile(folder / "in.bmp", image);
    WriteWholeFile(folder / "sub" / "image.bmp", image);
    ProcessOptions options;
    options.folder = folder.Path();
    ProcessResult apart = RunProcess(ToolPath("DUSKARI"), {"in.bmp", "out.bmp"}, options);
    ASSERT_EQ(apart.exitCode, 0) << apart.errors;
    ProcessResult inPlace = RunProcess(ToolPath("DUSKARI"), {"sub\\image.bmp", "sub\\image.bmp"}, options);
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.errors;
    EXPECT_TRUE(ReadWholeFile(folder / "sub" / "image.bmp") == ReadWholeFile(folder / "out.bmp"));
    // The temporary file was made beside the image and took its place.
    EXPECT_EQ(FolderContents(folder / "sub"), std::vector<std::string>{"image.bmp"});
    EXPECT_EQ(FolderContents(folder.Path()), (std::vector<std::string>{"in.bmp", "out.bmp", "sub"}));
}

// Appended, not prefixed: GCC 12 warns falsely of an overlapping copy in
// "q" + std::string when building 32-bit programs.
std::string ImageName(int i) {
    std::string name = "q";
    name += std::to_string(i);
    return name;
}

TEST(InPlaceConversion, SimultaneousRunsInOneFolderKeepTheirOwnImages) {
    constexpr int kRuns = 6;
    ScratchFolder folder;
    ProcessOptions options;
    options.folder = folder.Path();
    std::vector<std::string> expected;
    for (int i = 0; i < kRuns; ++i) {
        std::string name = ImageName(i);
        WriteWholeFile(folder / name, PatternBytes(787510, 100 + i));
        ASSERT_EQ(RunProcess(ToolPath("DUSKARI"), {name, "expected"}, options).exitCode, 0);
        expected.push_back(ReadWholeFile(folder / "expected"));
    }
    fs::remove(folder / "expected");
    int exitCodes[kRuns];
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] {
            std::string name = ImageName(i);
            exitCodes[i] = RunProcess(ToolPath("DUSKARI"), {name, name}, options).exitCode;
        });
    }
    for (std::thread& run : runs) run.join();
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_EQ(exitCodes[i], 0) << i;
        EXPECT_TRUE(ReadWholeFile(folder / ImageName(i)) == expected[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(FolderContents(folder.Path()).size(), static_cast<std::size_t>(kRuns));  // no temporary file left
}

// The new image takes the old one's place by a rename, which the system
// refuses while another program holds the image open without delete
// sharing: the run fails with 5, and neither the image nor the temporary
// file is changed or left behind.
TEST(InPlaceConversion, AnImageHeldOpenElsewhereStaysWholeAndNoTemporaryFileStays) {
    ScratchFolder folder;
    std::string image = PatternBytes(787510, 7);
    WriteWholeFile(folder / "cap.bmp", image);
    HANDLE held = CreateFileW((folder / "cap.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ProcessOptions options;
    options.folder = folder.Path();
    ProcessResult result = RunProcess(ToolPath("DUSKAR"), {"cap.bmp", "cap.bmp"}, options);
    CloseHandle(held);
    EXPECT_TRUE(EndedWithReport(result, 5));
    EXPECT_TRUE(ReadWholeFile(folder / "cap.bmp") == image);
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"cap.bmp"});
}

TEST(ReadOnlyFiles, AreNeitherOpenedNorCut) {
    ScratchFolder folder;
    WriteWholeFile(folder / "in.dat", "abc");
    WriteWholeFile(folder / "part1.zip", "keep");
    MakeReadOnly(folder / "part1.zip");
    ProcessOptions options;
    options.folder = folder.Path();
    options.input = "y\n";
    ProcessResult result = RunProcess(ToolPath("MORVANTE"), {"in.dat", "part", "1"}, options);
    EXPECT_TRUE(EndedWithReport(result, 5));
    EXPECT_EQ(ReadWholeFile(folder / "part1.zip"), "keep");
}
