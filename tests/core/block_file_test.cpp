#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "core.h"
#include "platform/fault_injection.h"
#include "platform/posix/system_calls.h"
#include "run_process.h"

using platform::fault::Call;
using test_support::ReadWholeFile;
using test_support::ScratchFolder;
using test_support::WriteWholeFile;

namespace {

class BlockFileTest : public testing::Test {
protected:
    void SetUp() override {
        platform::fault::Clear();
        FetchIoResult();
    }
    void TearDown() override { platform::fault::Clear(); }

    BlockFile Bound(const std::string& name) {
        BlockFile file;
        BindFile(file, CopyText((folder.Path() / name).string()));
        return file;
    }

    ScratchFolder folder;
};

}  // namespace

TEST_F(BlockFileTest, ReadBlockGivesWhatIsLeftThenZero) {
    WriteWholeFile(folder / "in", std::string(40, 'x'));
    BlockFile file = Bound("in");
    OpenExisting(file, 1);
    EXPECT_EQ(RecordCount(file), 40);
    char buffer[100];
    std::uint16_t done = 99;
    ReadBlock(file, buffer, 100, done);
    EXPECT_EQ(done, 40);
    ReadBlock(file, buffer, 100, done);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(RecordCount(file), 40);  // measuring does not move the position
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 0);
}

TEST_F(BlockFileTest, RecordCountIsInWholeRecords) {
    WriteWholeFile(folder / "in", std::string(1000, 'x'));
    BlockFile file = Bound("in");
    OpenExisting(file, 300);
    EXPECT_EQ(RecordCount(file), 3);
    char buffer[600];
    std::uint16_t done = 0;
    ReadBlock(file, buffer, 2, done);
    EXPECT_EQ(done, 2);
    ReadBlock(file, buffer, 2, done);
    EXPECT_EQ(done, 1);  // 400 bytes left: one whole record
}

TEST_F(BlockFileTest, CreateEmptyCutsAnExistingFile) {
    WriteWholeFile(folder / "out", "old contents");
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    EXPECT_EQ(RecordCount(file), 0);
    std::uint16_t done = 0;
    WriteBlock(file, "new", 3, done);
    EXPECT_EQ(done, 3);
    CloseFile(file);
    EXPECT_EQ(ReadWholeFile(folder / "out"), "new");
}

TEST_F(BlockFileTest, OpeningFailuresNameTheCause) {
    BlockFile missing = Bound("absent");
    OpenExisting(missing, 1);
    EXPECT_EQ(FetchIoResult(), 2);
    BlockFile noFolder = Bound("absent-folder/file");
    OpenExisting(noFolder, 1);
    EXPECT_EQ(FetchIoResult(), 3);
    CreateEmpty(noFolder, 1);
    EXPECT_EQ(FetchIoResult(), 3);

    WriteWholeFile(folder / "readonly", "keep");
    chmod((folder / "readonly").c_str(), 0444);
    BlockFile readOnly = Bound("readonly");
    OpenExisting(readOnly, 1);  // refused for the superuser too
    EXPECT_EQ(FetchIoResult(), 5);

    BlockFile aFolder = Bound("");
    BindFile(aFolder, CopyText(folder.Path().string()));
    OpenExisting(aFolder, 1);
    EXPECT_EQ(FetchIoResult(), 5);

    BlockFile neverBound;
    OpenExisting(neverBound, 1);
    EXPECT_EQ(FetchIoResult(), 102);
    BlockFile zeroRecords = Bound("readonly");
    OpenExisting(zeroRecords, 0);
    EXPECT_EQ(FetchIoResult(), 2);
}

TEST_F(BlockFileTest, AFailedOpeningLeavesTheFileClosed) {
    BlockFile missing = Bound("absent");
    OpenExisting(missing, 1);
    EXPECT_EQ(FetchIoResult(), 2);
    char buffer[8];
    std::uint16_t done = 0;
    ReadBlock(missing, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 103);
    CloseFile(missing);
    EXPECT_EQ(FetchIoResult(), 103);
}

TEST_F(BlockFileTest, AnUnfetchedOpeningErrorIsWhatTheNextCheckReports) {
    WriteWholeFile(folder / "in", "data");
    BlockFile missing = Bound("absent");
    BlockFile present = Bound("in");
    OpenExisting(missing, 1);
    OpenExisting(present, 1);  // does nothing while 2 is pending
    EXPECT_EQ(FetchIoResult(), 2);
    EXPECT_EQ(present.state, FileState::Closed);
}

TEST_F(BlockFileTest, ASecondCloseIsAnError) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 0);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 103);
    OpenExisting(file, 1);  // still bound: opens again without a new BindFile
    EXPECT_EQ(FetchIoResult(), 0);
}

TEST_F(BlockFileTest, ShortWritesAreContinuedUntilEveryByteIsWritten) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    std::string data = test_support::PatternBytes(1000);
    platform::fault::Inject(Call::Write, 1, 0, 7, 3);  // three writes take 7 bytes each
    std::uint16_t done = 0;
    WriteBlock(file, data.data(), 1000, done);
    EXPECT_EQ(done, 1000);
    EXPECT_EQ(FetchIoResult(), 0);
    CloseFile(file);
    EXPECT_EQ(ReadWholeFile(folder / "out"), data);
}

TEST_F(BlockFileTest, AWriteTheSystemTakesNothingOfIsADiskFull) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    platform::fault::Inject(Call::Write, 2, 0, 0);  // the second write takes nothing
    platform::fault::Inject(Call::Write, 1, 0, 10);
    std::uint16_t done = 0;
    WriteBlock(file, "0123456789abcdef", 16, done);
    EXPECT_EQ(done, 10);
    EXPECT_EQ(FetchIoResult(), 101);
}

TEST_F(BlockFileTest, SystemFailuresBecomeTheirNumbers) {
    WriteWholeFile(folder / "in", "data");
    BlockFile file = Bound("in");
    OpenExisting(file, 1);
    char buffer[8];
    std::uint16_t done = 0;
    platform::fault::Inject(Call::Read, 1, EIO);
    ReadBlock(file, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 161);
    platform::fault::Inject(Call::Read, 1, EINTR);  // an interruption is retried, never reported
    ReadBlock(file, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 0);
    EXPECT_EQ(done, 4);
    platform::fault::Inject(Call::Write, 1, ENOSPC);
    WriteBlock(file, "x", 1, done);
    EXPECT_EQ(FetchIoResult(), 101);
    platform::fault::Inject(Call::Write, 1, EIO);
    WriteBlock(file, "x", 1, done);
    EXPECT_EQ(FetchIoResult(), 160);
    platform::fault::Inject(Call::Close, 1, EIO);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 160);
    EXPECT_EQ(file.state, FileState::Closed);
    platform::fault::Inject(Call::Open, 1, EMFILE);
    OpenExisting(file, 1);
    EXPECT_EQ(FetchIoResult(), 4);
}

TEST(ErrnoMapping, FollowsTheLayersNumbers) {
    using platform::posix::Direction;
    using platform::posix::MapErrno;
    EXPECT_EQ(MapErrno(ENOENT, Direction::Other), 2);
    EXPECT_EQ(MapErrno(ENOTDIR, Direction::Other), 3);
    EXPECT_EQ(MapErrno(ENAMETOOLONG, Direction::Other), 3);
    EXPECT_EQ(MapErrno(EMFILE, Direction::Other), 4);
    EXPECT_EQ(MapErrno(ENFILE, Direction::Other), 4);
    for (int e : {EACCES, EPERM, EISDIR}) EXPECT_EQ(MapErrno(e, Direction::Other), 5) << e;
    EXPECT_EQ(MapErrno(EBADF, Direction::Read), 6);
    EXPECT_EQ(MapErrno(EROFS, Direction::Other), 150);
    for (int e : {ENOSPC, EDQUOT, EFBIG}) EXPECT_EQ(MapErrno(e, Direction::Write), 101) << e;
    for (int e : {ENXIO, ENODEV, ENOMEDIUM}) EXPECT_EQ(MapErrno(e, Direction::Other), 152) << e;
    EXPECT_EQ(MapErrno(EIO, Direction::Read), 161);
    EXPECT_EQ(MapErrno(EIO, Direction::Write), 160);
    EXPECT_EQ(MapErrno(EIO, Direction::Other), 162);
    EXPECT_EQ(MapErrno(EXDEV, Direction::Other), 162);
}
