// The tools run as a careless or hostile command line would run them: every
// case must end with a clear number and leave every byte of the user's
// files where it was.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "capture_images.h"
#include "platform/system_calls/fault_injection.h"
#include "terminal_session.h"
#include "tool_test.h"

namespace fs = std::filesystem;
using namespace test_support;
using platform::fault::Call;

namespace {

// The greentone converters read their header block from this file.
constexpr std::size_t kHeaderBlockBytes = 1078;

// The names of the files that differ between two snapshots.
std::vector<std::string> Changed(const Snapshot& before, const Snapshot& after) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : before) {
        auto found = after.find(name);
        if (found == after.end() || found->second != bytes) names.push_back(name.substr(0, 20));
    }
    for (const auto& [name, bytes] : after) {
        if (!before.contains(name)) names.push_back(name.substr(0, 20));
    }
    return names;
}

struct Command {
    const char* tool;
    std::vector<std::string> arguments;
    const char* keys;
};

// What the file system takes away: its locks (every lock call fails with
// EINVAL, and the backend goes on unlocked), and also the reading of the
// parts' folder.
enum class Without { Nothing, Locks, LocksAndListing };

// The tool's sweep program, with the fault seam armed as a file system
// without locks would behave.
ProcessResult StartWithout(Without what, const Command& run, const fs::path& folder) {
    static const std::map<std::string, std::string> kSweepProgram = {
        {"MORVANTE", "splitter_sweep"}, {"TOLVA", "joiner_sweep"}, {"DUSKAR", "print_sweep"}};
    constexpr unsigned kEveryCall = 1000000;
    std::ostringstream plan;
    plan << "/dev/null " << static_cast<int>(Call::Lock) << " 1 " << EINVAL << " 0 " << kEveryCall << " 0";
    if (what == Without::LocksAndListing) plan << ' ' << static_cast<int>(Call::List) << " 1 " << EIO << " 0 1 0";
    setenv("SUITE_SWEEP_PLAN", plan.str().c_str(), 1);
    ProcessOptions options;
    options.folder = folder;
    options.input = run.keys;
    // A file appended to itself stops growing here.
    options.fileSizeLimit = 1 << 24;
    ProcessResult result = RunProcess(fs::path(SUITE_SWEEP_DIR) / kSweepProgram.at(run.tool), run.arguments, options);
    unsetenv("SUITE_SWEEP_PLAN");
    return result;
}

// The run ended well (0) or through the report of that number.
testing::AssertionResult EndedAs(const ProcessResult& result, int exitCode) {
    if (exitCode != 0) return EndedWithReport(result, exitCode);
    if (result.exitCode == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "exit code " << result.exitCode << ": " << result.errors;
}

class FileSafety : public ToolTest {
protected:
    ProcessResult Start(const Command& run, const fs::path& in = {}, Without without = Without::Nothing) {
        if (without != Without::Nothing) return StartWithout(without, run, in.empty() ? folder.Path() : in);
        ProcessOptions options;
        options.folder = in;
        return Run(run.tool, run.arguments, run.keys, options);
    }
};

// A lock of the kind a run takes on a file it reads, held by the test itself.
class HeldForReading {
public:
    explicit HeldForReading(const fs::path& file) : fd_(open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct flock whole {};
        whole.l_type = F_RDLCK;
        whole.l_whence = SEEK_SET;
        held_ = fd_ >= 0 && fcntl(fd_, F_OFD_SETLK, &whole) == 0;
    }
    ~HeldForReading() {
        if (fd_ >= 0) close(fd_);
    }
    bool Held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

TEST_F(FileSafety, AFileOneRunUsesIsNeverEmptiedByAnother) {
    constexpr std::size_t kUnit = 1433600;
    struct Case {
        Command run;
        bool holdOutput = false;  // another run reads held.bmp meanwhile
        Without without = Without::Nothing;
        int exitCode = 5;
    } cases[] = {
        {{"MORVANTE", {"part1.zip", "part", "1"}, "y\n"}},  // the first part is the input
        {{"MORVANTE", {"part1.zip", "part", "1"}, "y\n"}, false, Without::Locks},
        {{"MORVANTE", {"link.zip", "part", "1"}, "y\n"}},  // ... through a symbolic link
        {{"MORVANTE", {"hard.zip", "part", "1"}, "y\n"}},  // ... through a hard link
        // A stale link old2.zip -> old1.zip: part 2 would overwrite part 1,
        // which the run has just written again with the same bytes.
        {{"MORVANTE", {"big.dat", "old", "1"}, "y\n"}},
        {{"TOLVA", {"part1.zip", "part", "1"}, "y\nx\n"}},  // joined into its own first part
        {{"TOLVA", {"part2.zip", "part", "1"}, "y\nx\n"}},  // ... or a later one
        {{"TOLVA", {"gap3.zip", "gap", "1"}, "y\nx\n"}},    // ... one behind a missing part
        // ... the missing part itself, known by its name alone
        {{"TOLVA", {"gap2.zip", "gap", "1"}, "y\nx\n"}, false, Without::LocksAndListing},
        {{"TOLVA", {"gaplink.zip", "gap", "1"}, "y\nx\n"}},  // ... by another name
        {{"TOLVA", {"link.zip", "part", "1"}, "y\nx\n"}, false, Without::Locks},
        // self2.zip -> joined.dat: without the folder search the output is
        // emptied and joined from self1.zip (the same bytes again); self2.zip
        // then counts as missing instead of being appended to itself.
        {{"TOLVA", {"joined.dat", "self", "1"}, "y\nx\n"}, false, Without::LocksAndListing, 0},
        {{"TOLVA", {"joined.dat", "self", "1"}, "y\nx\n"}, false, Without::Locks},
        {{"DUSKAR", {"cap.bmp", "held.bmp"}, ""}, true},
        {{"DUSKAR", {"held.bmp", "held.bmp"}, ""}, true},  // an in-place output replaces no file in use
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.run.tool << " " << c.run.arguments[0] << " " << c.run.arguments[1]
                                        << " without " << static_cast<int>(c.without));
        for (const auto& entry : fs::directory_iterator(folder.Path())) fs::remove_all(entry.path());
        for (int n = 1; n <= 3; ++n) {
            WriteWholeFile(folder / ("part" + std::to_string(n) + ".zip"), PatternBytes(1000 * n, n));
        }
        fs::create_symlink("part1.zip", folder / "link.zip");
        fs::create_hard_link(folder / "part1.zip", folder / "hard.zip");
        std::string big = PatternBytes(kUnit + 100, 4);
        WriteWholeFile(folder / "big.dat", big);
        WriteWholeFile(folder / "old1.zip", big.substr(0, kUnit));
        fs::create_symlink("old1.zip", folder / "old2.zip");
        WriteWholeFile(folder / "gap1.zip", PatternBytes(1000, 5));
        WriteWholeFile(folder / "gap3.zip", PatternBytes(3000, 6));
        fs::create_hard_link(folder / "gap3.zip", folder / "gaplink.zip");
        WriteWholeFile(folder / "self1.zip", PatternBytes(1000, 7));
        WriteWholeFile(folder / "joined.dat", PatternBytes(1000, 7));
        fs::create_symlink("joined.dat", folder / "self2.zip");
        WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
        WriteWholeFile(folder / "held.bmp", print_test::CaptureImage(9));
        auto before = FolderSnapshot(folder.Path());
        HeldForReading held(folder / "held.bmp");
        ASSERT_TRUE(!c.holdOutput || held.Held());

        ProcessResult result = Start(c.run, {}, c.without);
        EXPECT_TRUE(EndedAs(result, c.exitCode));
        EXPECT_EQ(result.output.find("You can combine"), std::string::npos);
        EXPECT_EQ(Changed(before, FolderSnapshot(folder.Path())), std::vector<std::string>{});
    }
}

TEST_F(FileSafety, ANameTooLongToHoldReachesNoFile) {
    // The first 255 bytes of the long name name a file the user keeps.
    std::string kept(255, 'k');
    std::string tooLong = kept + std::string(45, 'x');
    // "d/" and 252 letters: every part name loses its ".zip" to the cut.
    std::string longBase = "d/" + std::string(252, 'b');
    struct Case {
        Command run;
        int exitCode;
    } cases[] = {
        {{"MORVANTE", {tooLong, "part", "1"}, "y\n"}, 3},
        {{"MORVANTE", {"in.dat", longBase, "1"}, "y\n"}, 3},
        {{"TOLVA", {tooLong, "part", "1"}, "y\nx\n"}, 3},
        {{"TOLVA", {"out.dat", longBase, "1"}, "y\nx\n"}, 0},  // such a part is never there
        {{"TALMIROX3", {"in.bmp", tooLong}, ""}, 3},
        {{"TALMIROX3", {tooLong, "out.bmp"}, ""}, 0},  // an input that does not open has a message of its own
        {{"DUSKAR", {"cap.bmp", tooLong}, ""}, 3},
        {{"DUSKAR", {tooLong, "out.bmp"}, ""}, 0},  // an input that does not open has a message of its own
    };
    fs::create_directory(folder / "d");
    WriteWholeFile(folder / kept, PatternBytes(4000, 1));
    WriteWholeFile(folder / (longBase + "1"), PatternBytes(3000, 2));
    WriteWholeFile(folder / "part1.zip", PatternBytes(2000, 3));
    WriteWholeFile(folder / "in.dat", PatternBytes(2000, 4));
    WriteWholeFile(folder / "talmiro.dat", PatternBytes(kHeaderBlockBytes, 5));
    WriteWholeFile(folder / "in.bmp", PatternBytes(750138, 6));
    WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.run.tool << " " << c.run.arguments[0].substr(0, 10) << " "
                                        << c.run.arguments[1].substr(0, 10));
        fs::remove(folder / "out.dat");
        auto before = FolderSnapshot(folder.Path());
        ProcessResult result = Start(c.run);
        if (c.exitCode == 3) {
            EXPECT_TRUE(EndedWithReport(result, 3));
        } else {
            EXPECT_EQ(result.exitCode, c.exitCode) << result.errors;
        }
        auto after = FolderSnapshot(folder.Path());
        after.erase("out.dat");  // TOLVA's own output, empty
        EXPECT_EQ(Changed(before, after), std::vector<std::string>{});
    }
    EXPECT_EQ(ReadWholeFile(folder / "out.dat"), "");
}

TEST_F(FileSafety, AnInPlaceOutputReplacesTheFileWholeAndLeavesNothingBehind) {
    // Whose the image is, and who converts it.
    enum class Who {
        Runner,       // the runner's own
        OtherUser,    // another user's, converted by the superuser
        GroupMember,  // another user's, converted by a member of its group
        Stranger,     // another user's, writable by all, converted by a user outside its group
    };
    struct Case {
        const char* tool;
        bool longFolder;  // run in a folder whose path is over 255 bytes, holding a file named as a cut temporary name
        mode_t mode;
        bool throughLink;
        Who who = Who::Runner;
        bool hardLink = false;   // the image has a second name
        bool attribute = false;  // the image has an extended attribute of the user's
        bool elsewhere = false;  // the image lies on another file system than the working folder
    } cases[] = {
        {"DUSKAR", true, 0644, false},
        {"TALMIROX3", true, 0644, false},
        {"DUSKAR", false, 0600, false},
        {"DUSKAR", false, 0666, false},
        {"TALMIROX3", false, 0640, false},
        {"DUSKAR", false, 0644, true},
        {"DUSKAR", false, 0640, false, Who::OtherUser},
        {"DUSKAR", false, 0660, false, Who::GroupMember},
        {"DUSKAR", false, 0666, false, Who::Stranger},
        {"DUSKAR", false, 0644, false, Who::Runner, true},
        {"DUSKAR", false, 0644, false, Who::Runner, false, true},
        {"DUSKAR", false, 0644, false, Who::Runner, false, false, true},
    };
    // A second file system: the shared memory one, where the system has it.
    const fs::path otherFileSystem = "/dev/shm";
    struct stat scratch {
    }, other{};
    const bool twoFileSystems = stat(folder.Path().c_str(), &scratch) == 0 &&
                                stat(otherFileSystem.c_str(), &other) == 0 && scratch.st_dev != other.st_dev;
    const uid_t kOwner = 4321, kRunner = 4323;
    const gid_t kGroup = 4322;
    const bool canChangeUser = geteuid() == 0 && system("setpriv --version > /dev/null 2>&1") == 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tool) + " mode " + std::to_string(c.mode) + (c.longFolder ? " long folder" : "") +
                     (c.throughLink ? " link" : "") + " who " + std::to_string(static_cast<int>(c.who)) +
                     (c.hardLink ? " hard link" : ""));
        if (c.who != Who::Runner && !canChangeUser) {
            EXPECT_FALSE(InContinuousIntegration()) << "another user's file needs the superuser and setpriv";
            std::cout << "not run: another user's file needs the superuser and setpriv\n";
            continue;
        }
        for (const auto& entry : fs::directory_iterator(folder.Path())) fs::remove_all(entry.path());
        fs::path place = folder.Path();
        std::optional<ScratchFolder> away;
        if (c.elsewhere) {
            if (!twoFileSystems) {
                EXPECT_FALSE(InContinuousIntegration()) << otherFileSystem << " is no second file system here";
                continue;
            }
            away.emplace(otherFileSystem);
            place = away->Path();
        }
        if (c.longFolder) {
            place /= std::string(250, 'f');
            fs::create_directory(place);
            WriteWholeFile(place / "~suite-output-", "kept");
            WriteWholeFile(place / "talmiro.dat", PatternBytes(kHeaderBlockBytes, 5));
        }
        bool greentone = std::string(c.tool) == "TALMIROX3";
        std::string input = greentone ? PatternBytes(750138, 7) : print_test::CaptureImage(7);
        WriteWholeFile(folder / "talmiro.dat", PatternBytes(kHeaderBlockBytes, 5));
        WriteWholeFile(folder / "in.bmp", input);
        // What the tool makes of the input as a separate file.
        ASSERT_EQ(Start({c.tool, {"in.bmp", "expected.bmp"}, ""}).exitCode, 0);
        std::string expected = ReadWholeFile(folder / "expected.bmp");

        fs::path image = place / "image.bmp";
        WriteWholeFile(image, input);
        chmod(image.c_str(), c.mode);
        if (c.who != Who::Runner) {
            ASSERT_EQ(chown(image.c_str(), kOwner, kGroup), 0);
        }
        if (c.hardLink) fs::create_hard_link(image, place / "second.bmp");
        if (c.attribute && setxattr(image.c_str(), "user.note", "kept", 4, 0) != 0) {
            EXPECT_FALSE(InContinuousIntegration()) << "the scratch folder's file system keeps no attributes of users";
            std::cout << "not run: the file system keeps no attributes of users\n";
            continue;
        }
        fs::path named = image;
        if (c.throughLink) {
            named = place / "link.bmp";
            fs::create_symlink("image.bmp", named);
        }
        struct stat before {};
        ASSERT_EQ(stat(image.c_str(), &before), 0);
        std::string name = named.filename().string();
        ProcessResult result;
        if (c.who == Who::GroupMember || c.who == Who::Stranger) {
            chmod(folder.Path().c_str(), 0777);
            ProcessOptions options;
            options.folder = place;
            result = RunProcess("setpriv",
                                {"--reuid=" + std::to_string(kRunner), "--regid=" + std::to_string(kRunner),
                                 c.who == Who::GroupMember ? "--groups=" + std::to_string(kGroup) : "--clear-groups",
                                 "--", ToolPath(c.tool).string(), name, name},
                                options);
        } else if (c.elsewhere) {
            result = Start({c.tool, {named.string(), named.string()}, ""});  // from the working folder
        } else {
            result = Start({c.tool, {name, name}, ""}, place);
        }
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_TRUE(ReadWholeFile(image) == expected);
        struct stat info {};
        ASSERT_EQ(stat(image.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.mode);
        if (c.who != Who::Runner) {
            EXPECT_EQ(info.st_gid, kGroup);  // the group keeps its access
        }
        if (c.who == Who::OtherUser || c.who == Who::Stranger) {
            EXPECT_EQ(info.st_uid, kOwner);
        }
        // Where a new file could not be all the old one was, the old one is
        // written over; else the new file is renamed into its place.
        EXPECT_EQ(info.st_ino == before.st_ino, c.who == Who::Stranger || c.hardLink || c.attribute);
        char note[8] = {};
        EXPECT_EQ(getxattr(image.c_str(), "user.note", note, sizeof note) == 4, c.attribute);
        if (c.hardLink) {
            EXPECT_TRUE(ReadWholeFile(place / "second.bmp") == expected);
        }
        if (c.throughLink) {
            EXPECT_TRUE(fs::is_symlink(named));
        }
        for (const auto& entry : fs::directory_iterator(place)) {
            EXPECT_FALSE(entry.path().extension() == ".tmp") << entry.path();  // no temporary file is left
        }
        if (c.longFolder) {
            EXPECT_EQ(ReadWholeFile(place / "~suite-output-"), "kept");
        }
    }
}

// A file a run has just made is its own, whatever permissions the creation
// mask gave it: it is written, not refused as read-only.
TEST_F(FileSafety, AMaskWithoutWriteBitsStillLetsEveryToolWriteWhatItMakes) {
    struct Case {
        Command run;
        const char* made;
    } cases[] = {
        {{"MORVANTE", {"in.dat", "part", "1"}, "y\n"}, "part1.zip"},  // a part
        {{"DUSKAR", {"cap.bmp", "out.bmp"}, ""}, "out.bmp"},          // an output checked against the input
    };
    WriteWholeFile(folder / "in.dat", PatternBytes(2000, 1));
    WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run.tool);
        mode_t mask = umask(0222);
        ProcessResult result = Start(c.run);
        umask(mask);
        EXPECT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_GE(ReadWholeFile(folder / c.made).size(), 2000u);
        fs::remove(folder / c.made);
    }
}

// A Unix socket in the folder, as a server would leave it.
void MakeSocket(const fs::path& name) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", name.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << name;
    close(fd);
}

TEST_F(FileSafety, APipeOrSocketNeverOpensSoNoToolWaitsOnIt) {
    struct Case {
        Command run;
        int exitCode;
    } cases[] = {
        {{"MORVANTE", {"pipe", "part", "1"}, "y\n"}, 5},
        {{"TOLVA", {"out.dat", "pipe", "1"}, "y\nx\n"}, 0},  // pipe1.zip counts as missing
        {{"TALMIROX3", {"pipe", "out.bmp"}, ""}, 0},         // with the message for an input that does not open
        {{"DUSKAR", {"cap.bmp", "pipe"}, ""}, 5},
        // A socket, to read and to write: only a tool that ends on a failed
        // opening shows which number the opening gave.
        {{"MORVANTE", {"sock", "part", "1"}, "y\n"}, 5},
        {{"DUSKAR", {"cap.bmp", "sock"}, ""}, 5},
    };
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((folder / "pipe1.zip").c_str(), 0644), 0);
    MakeSocket(folder / "sock");
    WriteWholeFile(folder / "talmiro.dat", PatternBytes(kHeaderBlockBytes, 5));
    WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run.tool + std::string(" ") + c.run.arguments[0] + " " + c.run.arguments[1]);
        ProcessResult result = Start(c.run);
        EXPECT_TRUE(EndedAs(result, c.exitCode));
        EXPECT_FALSE(fs::exists(folder / "part1.zip"));
        EXPECT_FALSE(fs::exists(folder / "out.bmp"));
    }
    EXPECT_EQ(ReadWholeFile(folder / "out.dat"), "");
}

TEST_F(FileSafety, NamesShowTheirControlBytesOnATerminalOnly) {
    // A name that would turn the terminal's text red.
    const std::string kName = "\x1b[31mred";
    WriteWholeFile(folder / "in.dat", "data");
    ProcessResult redirected = Start({"MORVANTE", {"in.dat", kName, "1"}, "n\n"});
    EXPECT_NE(redirected.output.find("are: " + kName + "1.zip"), std::string::npos) << redirected.output;

    SUITE_REQUIRE(TmuxAvailable(), "tmux is not installed");
    TerminalSession terminal(ToolCommand("MORVANTE", "in.dat \"$(printf '\\033[31mred')\" 1"), folder.Path(), 120, 40);
    ASSERT_TRUE(terminal.WaitForText("intended? "));
    EXPECT_NE(terminal.ScreenText().find("are: ?[31mred1.zip"), std::string::npos) << terminal.ScreenText();
    terminal.Type("n");
    terminal.Press("Enter");
    EXPECT_TRUE(terminal.WaitForEnd());
}

}  // namespace
