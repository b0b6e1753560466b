// The POSIX backend: errno values become the layer's numbers, and the
// arguments are argv as the system hands them over.
#include <gtest/gtest.h>

#include <csignal>
#include <cerrno>
#include <string>

#include "block_file_fixture.h"
#include "platform/posix/system_calls.h"

using platform::fault::Call;
using test_support::WriteWholeFile;

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
