// The Windows backend: system error codes become the layer's numbers, on
// injected failures and on real ones, and the arguments come from the
// command line as the system holds it, split by the layer itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "block_file_fixture.h"

using platform::fault::Call;
using test_support::WriteWholeFile;

TEST_F(BlockFileTest, SystemFailuresBecomeTheirNumbers) {
    WriteWholeFile(folder / "in", "data");
    BlockFile file = Bound("in");
    OpenExisting(file, 1);
    char buffer[8];
    std::uint16_t done = 0;
    platform::fault::Inject(Call::Read, 1, ERROR_CRC);
    ReadBlock(file, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 154);
    platform::fault::Inject(Call::Read, 1, ERROR_BROKEN_PIPE);  // the end of the data, no failure
    ReadBlock(file, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 0);
    EXPECT_EQ(done, 0);
    ReadBlock(file, buffer, 8, done);
    EXPECT_EQ(done, 4);
    platform::fault::Inject(Call::Write, 1, ERROR_DISK_FULL);
    WriteBlock(file, "x", 1, done);
    EXPECT_EQ(FetchIoResult(), 101);
    platform::fault::Inject(Call::Write, 1, ERROR_WRITE_FAULT);
    WriteBlock(file, "x", 1, done);
    EXPECT_EQ(FetchIoResult(), 160);
    platform::fault::Inject(Call::Length, 1, ERROR_NOT_READY);
    EXPECT_EQ(RecordCount(file), 0);
    EXPECT_EQ(FetchIoResult(), 152);
    platform::fault::Inject(Call::Close, 1, ERROR_INVALID_HANDLE);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 6);
    EXPECT_EQ(file.state, FileState::Closed);

    struct {
        DWORD code;
        std::uint16_t number;
    } openings[] = {{ERROR_TOO_MANY_OPEN_FILES, 4}, {ERROR_WRITE_PROTECT, 150}, {ERROR_SHARING_VIOLATION, 5},
                    {ERROR_ALREADY_EXISTS, 5},      {ERROR_FILENAME_EXCED_RANGE, 3}, {ERROR_INVALID_NAME, 123}};
    for (const auto& opening : openings) {
        platform::fault::Inject(Call::Open, 1, static_cast<int>(opening.code));
        OpenExisting(file, 1);
        EXPECT_EQ(FetchIoResult(), opening.number) << opening.code;
        EXPECT_EQ(file.state, FileState::Closed);
    }
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
    EXPECT_NE(ArgumentText(1).View(), "not-from-argv");
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(ArgumentText(0).View(), std::string_view(path, length));
    EXPECT_TRUE(ArgumentText(-1).Empty());
}
