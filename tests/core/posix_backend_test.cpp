// The POSIX backend: errno values become the layer's numbers, and the
// arguments are argv as the system hands them over.
#include <gtest/gtest.h>

#include <csignal>
#include <cerrno>
#include <string>

#include "block_file_fixture.h"
#include "platform/system_calls/posix/system_calls.h"

using platform::fault::Call;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

int WriteFaultError() { return EIO; }

TEST_F(BlockFileTest, SystemFailuresBecomeTheirNumbers) {
    ExpectFailures({
        {Call::Read, EIO, 161},
        {Call::Read, EINTR, 0, 4},  // an interruption is retried, never reported
        {Call::Write, ENOSPC, 101},
        {Call::Write, EIO, 160},
        {Call::Close, EIO, 160},
        {Call::Open, EMFILE, 4},
    });
}

TEST_F(BlockFileTest, OpeningsHoldTheFileSoThatNoneEmptiesWhatAnotherUses) {
    WriteWholeFile(folder / "f", "keep");
    BlockFile reader = Bound("f"), secondReader = Bound("f"), writer = Bound("f");
    OpenExisting(reader, 1);
    OpenExisting(secondReader, 1);  // two readers share the file
    EXPECT_EQ(FetchIoResult(), 0);
    CreateEmpty(writer, 1);  // but no one empties it meanwhile
    EXPECT_EQ(FetchIoResult(), 5);
    EXPECT_EQ(test_support::ReadWholeFile(folder / "f"), "keep");
    CloseFile(reader);
    CloseFile(secondReader);
    CreateEmpty(writer, 1);
    EXPECT_EQ(FetchIoResult(), 0);
    OpenExisting(reader, 1);  // and no one reads what is being written
    EXPECT_EQ(FetchIoResult(), 5);
    platform::fault::Inject(Call::Lock, 1, ENOLCK);  // a file system without locks: used as it is
    OpenExisting(reader, 1);
    EXPECT_EQ(FetchIoResult(), 0);
}

// The system copies the first block by itself and 300 bytes of the second,
// then its next copy does as a row says; reading and writing take over from
// exactly there, and a fault met on the way is named by its side.
TEST_F(BlockFileTest, WhereTheSystemStopsCopyingReadingAndWritingGoOn) {
    constexpr std::uint16_t kBlock = 1000;
    constexpr std::size_t kCopiedBySystem = kBlock + 300;
    struct Case {
        const char* what;
        int copyError;  // the third copy fails with this, or (0) moves copyTakes bytes at most
        std::size_t copyTakes;
        Call then;  // a read or write that then fails with thenError (Count: none)
        int thenError;
        std::uint16_t number;  // the number reported
    };
    const Case cases[] = {
        {"file systems that do not copy to each other", EXDEV, 0, Call::Count, 0, 0},
        {"a file the system does not copy", EINVAL, 0, Call::Count, 0, 0},
        {"a system without the copy", ENOSYS, 0, Call::Count, 0, 0},
        {"a file system without the copy", EOPNOTSUPP, 0, Call::Count, 0, 0},
        {"nothing copied before the end", 0, 0, Call::Count, 0, 0},
        {"a read fault", EIO, 0, Call::Read, EIO, 161},
        {"a write fault", EIO, 0, Call::Write, EIO, 160},
        {"a full disk", ENOSPC, 0, Call::Write, ENOSPC, 101},
    };
    const std::string data = test_support::PatternBytes(3 * kBlock + 500);
    WriteWholeFile(folder / "in", data);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::fault::Clear();
        BlockFile in = Bound("in"), out = Bound("out");
        OpenExisting(in, 1);
        CreateEmpty(out, 1);
        platform::fault::Inject(Call::Copy, 2, 0, kCopiedBySystem - kBlock);
        platform::fault::Inject(Call::Copy, 3, c.copyError, c.copyTakes);
        if (c.then != Call::Count) platform::fault::Inject(c.then, 1, c.thenError);
        char buffer[kBlock];
        std::size_t copied = 0;
        std::uint16_t done = 0;
        do {
            CopyBlock(in, out, buffer, kBlock, done);
            EXPECT_LE(done, kBlock);
            copied += done;
        } while (done != 0 && PendingIoError() == 0);
        EXPECT_EQ(FetchIoResult(), c.number);
        CloseFile(in);
        CloseFile(out);
        std::size_t expected = c.number == 0 ? data.size() : kCopiedBySystem;
        EXPECT_EQ(copied, expected);
        EXPECT_EQ(ReadWholeFile(folder / "out"), data.substr(0, expected));
    }
}

// A character device is no regular file: the system refuses to copy from it.
TEST_F(BlockFileTest, ADeviceIsCopiedByReadingAndWriting) {
    BlockFile in;
    BindFile(in, CopyText("/dev/zero"));
    BlockFile out = Bound("out");
    OpenExisting(in, 1);
    CreateEmpty(out, 1);
    char buffer[1000];
    std::uint16_t done = 0;
    for (int block = 0; block < 2; ++block) CopyBlock(in, out, buffer, sizeof buffer, done);
    EXPECT_EQ(done, sizeof buffer);
    CloseFile(in);
    CloseFile(out);
    EXPECT_EQ(FetchIoResult(), 0);
    EXPECT_EQ(ReadWholeFile(folder / "out"), std::string(2 * sizeof buffer, '\0'));
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

TEST(ArgumentText, TakesArgvAsGivenCutTo255) {
    std::string longArgument(300, 'z');
    std::string blank = "a b";
    char program[] = "prog";
    char* argv[] = {program, longArgument.data(), blank.data(), nullptr};
    platform::StartProcess(3, argv);
    TakeArguments();
    EXPECT_EQ(ArgumentText(1).View(), std::string(255, 'z'));
    EXPECT_TRUE(ArgumentText(1).cut);
    EXPECT_EQ(ArgumentText(2).View(), "a b");  // never split again
    EXPECT_FALSE(ArgumentText(2).cut);
    EXPECT_TRUE(ArgumentText(3).Empty());
    EXPECT_TRUE(ArgumentText(5).Empty());
    EXPECT_TRUE(ArgumentText(-1).Empty());
    EXPECT_FALSE(ArgumentText(0).Empty());
}

namespace {

void StartAsFaultingProgram() {
    static char program[] = "prog";
    static char* argv[] = {program, nullptr};
    StartProgram(1, argv);
}

// Read through volatile objects, so that the compiler can neither see the
// fault coming nor turn the recursion into a loop.
int* volatile forbiddenAddress = reinterpret_cast<int*>(16);
volatile int deepestCall = 1 << 30;

__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth >= deepestCall) return 0;
    return Recurse(depth + 1) + frame[0];
}

}  // namespace

TEST(ProcessorFault, EndsThroughTheReportWithTheFaultsNumber) {
    EXPECT_EXIT(
        {
            StartAsFaultingProgram();
            *forbiddenAddress = 1;
        },
        testing::ExitedWithCode(216), "^Runtime error 216 at \\$[0-9A-F]{8}\r\n  \\$[0-9A-F]{8}\r\n\r\n$");
    EXPECT_EXIT(
        {
            StartAsFaultingProgram();
            raise(SIGFPE);
        },
        testing::ExitedWithCode(200), "^Runtime error 200 at");
}

TEST(ProcessorFault, AStackOverflowIsReportedFromAStackOfItsOwn) {
    EXPECT_EXIT(
        {
            StartAsFaultingProgram();
            Recurse(0);
        },
        testing::ExitedWithCode(202), "^Runtime error 202 at");
}
