// The Windows backend: system error codes become the layer's numbers, on
// injected failures and on real ones, and the arguments come from the
// command line as the system holds it, split by the layer itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "block_file_fixture.h"

using platform::fault::Call;
using test_support::WriteWholeFile;

int WriteFaultError() { return ERROR_WRITE_FAULT; }

TEST_F(BlockFileTest, SystemFailuresBecomeTheirNumbers) {
    ExpectFailures({
        {Call::Read, ERROR_CRC, 154},
        {Call::Read, ERROR_BROKEN_PIPE, 0, 0},  // the end of the data, no failure
        {Call::Read, 0, 0, 4},                  // and the data is still there
        {Call::Write, ERROR_DISK_FULL, 101},
        {Call::Write, ERROR_WRITE_FAULT, 160},
        {Call::Length, ERROR_NOT_READY, 152},
        {Call::Close, ERROR_INVALID_HANDLE, 6},
        {Call::Open, ERROR_TOO_MANY_OPEN_FILES, 4},
        {Call::Open, ERROR_WRITE_PROTECT, 150},
        {Call::Open, ERROR_SHARING_VIOLATION, 5},
        {Call::Open, ERROR_ALREADY_EXISTS, 5},
        {Call::Open, ERROR_FILENAME_EXCED_RANGE, 3},
        {Call::Open, ERROR_INVALID_NAME, 123},
    });
}

TEST_F(BlockFileTest, AFileOpenElsewhereCannotBeOpenedForWriting) {
    WriteWholeFile(folder / "in", "data");
    BlockFile first = Bound("in");
    BlockFile second = Bound("in");
    OpenExisting(first, 1);
    ASSERT_EQ(FetchIoResult(), 0);
    OpenExisting(second, 1);  // others may only read a file that is open
    EXPECT_EQ(FetchIoResult(), 5);
    CreateEmpty(second, 1);
    EXPECT_EQ(FetchIoResult(), 5);
    CloseFile(first);
    OpenExisting(second, 1);
    EXPECT_EQ(FetchIoResult(), 0);
    CloseFile(second);
}

TEST_F(BlockFileTest, NamesTheSystemRefusesGiveItsNumbers) {
    BlockFile file = Bound("a?b");  // a character no file name may hold
    CreateEmpty(file, 1);
    EXPECT_EQ(FetchIoResult(), 123);
    BindFile(file, CopyText((folder.Path() / "absent\\file").string()));
    CreateEmpty(file, 1);
    EXPECT_EQ(FetchIoResult(), 3);
}

TEST(ArgumentText, ComesFromTheCommandLineNotFromArgv) {
    std::string fake = "not-from-argv";
    char program[] = "prog";
    char* argv[] = {program, fake.data(), nullptr};
    platform::StartProcess(2, argv);
    TakeArguments();
    EXPECT_NE(ArgumentText(1).View(), "not-from-argv");
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(ArgumentText(0).View(), std::string_view(path, length));
    EXPECT_TRUE(ArgumentText(-1).Empty());
}
