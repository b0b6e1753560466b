// Runs a real tool process for end-to-end tests: arguments as given, bytes
// piped to its standard input, standard output and error captured, in a
// folder of the test's choosing. Built for the system the tools are built
// for (fork/exec on POSIX, CreateProcess on Windows).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "not_copyable.h"

namespace test_support {

struct ProcessResult {
    int exitCode = -1;      // the exit code, or -1 when a signal ended it
    int endSignal = 0;      // the signal that ended it, or 0
    std::string output;     // standard output
    std::string errors;     // standard error
    bool timedOut = false;  // killed at the deadline
};

struct ProcessOptions {
    std::filesystem::path folder;      // working folder; empty = the test's own
    std::string input;                 // bytes for standard input (closed after them)
    long fileSizeLimit = -1;           // RLIMIT_FSIZE for the child, -1 = unchanged (POSIX only)
    bool inputFromNullDevice = false;  // standard input is /dev/null instead of a pipe
    std::filesystem::path outputFile;  // when set, standard output goes to this file
    int closedDescriptor = -1;         // 0, 1 or 2: the child starts with it closed (POSIX only)
    int deadlineSeconds = 60;          // a child still running then is killed, so that a hang fails
    bool utf8Arguments = false;        // the arguments are UTF-8, not ANSI code page bytes (Windows only)
};

// A program named without a folder is looked for on the system's path.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

// The process ended through the run-time error report with this number: its
// exit code, and on standard error two lines naming one place, then an empty
// line.
testing::AssertionResult EndedWithReport(const ProcessResult& result, int number);

// True in CI (CI=true), where every tool a test needs is installed: a test
// that cannot run there fails instead of skipping, so that a fault cannot
// pass unseen.
bool InContinuousIntegration();

// Skips the rest of the test, or fails it in CI, when `available` is false.
#define SUITE_REQUIRE(available, reason)                                     \
    do {                                                                     \
        if (!(available)) {                                                  \
            if (test_support::InContinuousIntegration()) FAIL() << (reason); \
            GTEST_SKIP() << (reason);                                        \
        }                                                                    \
    } while (false)

// A fresh empty folder under the system's temporary folder, removed when the
// object goes away.
class ScratchFolder : NotCopyable {
public:
    ScratchFolder();
    // In the given folder (another file system, say) instead.
    explicit ScratchFolder(const std::filesystem::path& parent);
    ~ScratchFolder();
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadWholeFile(const std::filesystem::path& file);
// The names in a folder, sorted.
std::vector<std::string> FolderContents(const std::filesystem::path& folder);
// Everything below a folder by its path from there: a file with its bytes,
// a link as "-> " and its target, a folder as "<folder>".
using Snapshot = std::map<std::string, std::string>;
Snapshot FolderSnapshot(const std::filesystem::path& folder);
// Takes every write permission away (on Windows: the read-only attribute).
void MakeReadOnly(const std::filesystem::path& file);
void WriteWholeFile(const std::filesystem::path& file, const std::string& bytes);
// Bytes that look random but are the same on every run.
std::string PatternBytes(std::size_t count, unsigned seed = 1);
// A file in the directory of the built tools (set by the build); a tool's
// name without an extension gets the system's program suffix.
std::filesystem::path ToolPath(const std::string& tool);

}  // namespace test_support
