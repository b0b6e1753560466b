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

// A named pipe waiting for its one client; Connected tells afterwards
// whether anyone opened it.
class WaitingPipe : NotCopyable {
public:
    explicit WaitingPipe(const std::string& name) {
        std::wstring path = L"\\\\.\\pipe\\" + std::wstring(name.begin(), name.end());
        pipe_ =
            CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 4096, 4096, 0, nullptr);
    }
    ~WaitingPipe() { CloseHandle(pipe_); }
    bool Made() const { return pipe_ != INVALID_HANDLE_VALUE; }
    bool Connected() const { return !ConnectNamedPipe(pipe_, nullptr) && GetLastError() != ERROR_PIPE_LISTENING; }

private:
    HANDLE pipe_;
};

// Names that must reach no file of the run's own: a read-only part, a name
// with a character the ANSI code page lacks (its look-alike "Omega.bmp"
// exists), named pipes as input, output and part. Each run ends as the row
// says (a report number, or 0 for the tool's own message), every file that
// was there keeps its bytes, and no pipe is connected.
TEST(ProtectedNames, ReachNoFileAndConnectNoPipe) {
    const std::string pipe = "\\\\.\\pipe\\suite-" + std::to_string(GetCurrentProcessId()) + "-";
    struct {
        const char* tool;
        std::vector<std::string> arguments;  // UTF-8
        const char* keys;
        int report;
    } rows[] = {
        {"MORVANTE", {"in.dat", "part", "1"}, "y\n", 5},   {"DUSKAR", {"cap.bmp", "\xce\xa9mega.bmp"}, "", 123},
        {"DUSKAR", {pipe + "1", "out.bmp"}, "", 0},        {"DUSKAR", {"cap.bmp", pipe + "1"}, "", 5},
        {"MORVANTE", {pipe + "1", "part", "1"}, "y\n", 5}, {"TOLVA", {"out.dat", pipe, "1"}, "y\r\nx\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.tool) + " " + row.arguments[0] + " " + row.arguments[1]);
        ScratchFolder folder;
        WriteWholeFile(folder / "in.dat", "abc");
        WriteWholeFile(folder / "part1.zip", "keep");
        MakeReadOnly(folder / "part1.zip");
        WriteWholeFile(folder / "cap.bmp", PatternBytes(787510, 9));
        WriteWholeFile(folder / "Omega.bmp", "keep");
        Snapshot before = FolderSnapshot(folder.Path());
        WaitingPipe waiting("suite-" + std::to_string(GetCurrentProcessId()) + "-1" +
                            (std::string(row.tool) == "TOLVA" ? ".zip" : ""));
        ASSERT_TRUE(waiting.Made());
        ProcessOptions options;
        options.folder = folder.Path();
        options.input = row.keys;
        options.utf8Arguments = true;
        options.deadlineSeconds = 20;
        ProcessResult result = RunProcess(ToolPath(row.tool), row.arguments, options);
        if (row.report == 0) {
            EXPECT_EQ(result.exitCode, 0) << result.errors;
        } else {
            EXPECT_TRUE(EndedWithReport(result, row.report));
        }
        EXPECT_FALSE(waiting.Connected());
        Snapshot after = FolderSnapshot(folder.Path());
        for (const auto& [name, bytes] : before) EXPECT_TRUE(after[name] == bytes) << name;
    }
}
