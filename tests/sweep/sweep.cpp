#include "sweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/platform.h"
#include "platform/system_calls/fault_injection.h"
#include "run_process.h"

namespace fs = std::filesystem;
using platform::fault::Call;
using test_support::FolderSnapshot;
using test_support::Snapshot;

namespace {

// The plan a sweep run hands to the tool process: its log file, then for
// each fault "kind nth error takeAtMost times signal"; no fault only records
// the calls.
constexpr const char* kPlanVariable = "SUITE_SWEEP_PLAN";
constexpr int kKinds = static_cast<int>(Call::Count);
// A transfer that moves fewer bytes moves this many.
constexpr std::size_t kShortTransfer = 1;
// This program's own path: the tool runs are this program again.
fs::path program;

struct Outcome {
    test_support::ProcessResult process;
    std::vector<unsigned> calls = std::vector<unsigned>(kKinds, 0);  // counted calls of each kind
    bool disturbed = false;
};

Outcome RunPlanned(const sweep::Path& path, const fs::path& folder, const fs::path& log,
                   const std::vector<sweep::Fault>& faults) {
    sweep::SettleSystem();
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
    path.prepare(folder);
    sweep::SetEnvironment(kPlanVariable, sweep::Plan(log, faults).c_str());
    test_support::ProcessOptions options;
    options.folder = folder;
    options.input = path.keys;
    Outcome outcome;
    outcome.process = test_support::RunProcess(program, path.arguments, options);
    sweep::SetEnvironment(kPlanVariable, nullptr);
    std::istringstream lines(test_support::ReadWholeFile(log));
    std::string line;
    while (std::getline(lines, line)) {
        int counted = std::atoi(line.c_str());
        if (counted >= 0 && counted < kKinds) ++outcome.calls[counted];
        if (line.ends_with("!")) outcome.disturbed = true;
    }
    return outcome;
}

// Every file is as it was, the complete result, or a beginning of that
// result; nothing else is left behind. After a failed run every file the
// user had is as it was: an in-place result takes the input's place only once
// everything about it succeeded.
void ExpectWhole(const Snapshot& original, const Snapshot& clean, const Snapshot& after, bool failed) {
    for (const auto& [name, bytes] : after) {
        auto result = clean.find(name);
        auto before = original.find(name);
        bool asBefore = before != original.end() && before->second == bytes;
        bool beginning = result != clean.end() && result->second.starts_with(bytes);
        EXPECT_TRUE(asBefore || beginning) << name << " (" << bytes.size() << " bytes) is neither as before nor a "
                                           << "beginning of the result";
        if (before == original.end()) continue;
        if (failed) {
            EXPECT_TRUE(asBefore) << name << " changed in a failed run";
        } else {
            EXPECT_TRUE(asBefore || (result != clean.end() && bytes == result->second)) << name << " was damaged";
        }
    }
    for (const auto& [name, bytes] : original) EXPECT_TRUE(after.contains(name)) << name << " is gone";
}

}  // namespace

namespace sweep {

void Run(const Path& path) {
    test_support::ScratchFolder folder, logs;
    fs::path log = logs / "calls.log";
    path.prepare(folder.Path());
    Snapshot original = FolderSnapshot(folder.Path());

    Outcome counted = RunPlanned(path, folder.Path(), log, {});
    ASSERT_EQ(counted.process.exitCode, 0) << counted.process.errors;
    Snapshot clean = FolderSnapshot(folder.Path());
    const int error = WriteProtectedError();

    for (int kind = 0; kind < kKinds; ++kind) {
        bool transfer = kind == static_cast<int>(Call::Read) || kind == static_cast<int>(Call::Write) ||
                        kind == static_cast<int>(Call::Copy);
        for (unsigned nth = 1; nth <= counted.calls[kind]; ++nth) {
            SCOPED_TRACE("call kind " + std::to_string(kind) + ", call " + std::to_string(nth));
            Outcome failed = RunPlanned(path, folder.Path(), log, {{static_cast<Call>(kind), nth, error}});
            EXPECT_TRUE(failed.disturbed);
            Snapshot after = FolderSnapshot(folder.Path());
            int code = failed.process.exitCode;
            if (code == 0) {
                // A failure the tool absorbs (an input that does not open has
                // a message of its own; a part that does not open is missing)
                // leaves no output that is less than complete.
                for (const auto& [name, bytes] : after) {
                    auto before = original.find(name);
                    auto result = clean.find(name);
                    bool asBefore = before != original.end() && before->second == bytes;
                    bool complete = result != clean.end() && result->second == bytes;
                    bool beginning = path.mayEndEarlyWell && result != clean.end() && result->second.starts_with(bytes);
                    EXPECT_TRUE(asBefore || complete || beginning)
                        << name << " is incomplete after a run that ended well";
                }
            } else {
                // The console's own numbers stand for its failures: text it
                // cannot hand on is a failed output (101), keys it cannot read
                // a read fault (161).
                namespace errors = platform::errors;
                bool expected = code == errors::kWriteProtected ||
                                (kind == static_cast<int>(Call::Write) && code == errors::kDiskFull) ||
                                (kind == static_cast<int>(Call::Read) && code == errors::kReadFault);
                EXPECT_TRUE(expected) << "exit code " << code << "\n" << failed.process.errors;
                EXPECT_TRUE(test_support::EndedWithReport(failed.process, code));
            }
            ExpectWhole(original, clean, after, code != 0);
            // An ending signal at this moment: the end the system gives it,
            // after the clean-up, which leaves no temporary file.
            if (int signal = sweep::EndingSignal(); signal != 0) {
                Outcome ended = RunPlanned(path, folder.Path(), log, {{static_cast<Call>(kind), nth, 0, 0, 1, signal}});
                EXPECT_EQ(ended.process.endSignal, signal) << ended.process.errors;
                ExpectWhole(original, clean, FolderSnapshot(folder.Path()), false);
            }
            if (!transfer) continue;
            Outcome shortened =
                RunPlanned(path, folder.Path(), log, {{static_cast<Call>(kind), nth, 0, kShortTransfer}});
            EXPECT_EQ(shortened.process.exitCode, 0) << "after a short transfer\n" << shortened.process.errors;
            EXPECT_TRUE(FolderSnapshot(folder.Path()) == clean) << "a short transfer changed the result";
        }
    }
}

std::string Plan(const std::filesystem::path& log, const std::vector<Fault>& faults) {
    std::ostringstream plan;
    plan << log.string();
    for (const Fault& fault : faults) {
        plan << ' ' << static_cast<int>(fault.kind) << ' ' << fault.nth << ' ' << fault.error << ' ' << fault.takeAtMost
             << ' ' << fault.times << ' ' << fault.signal;
    }
    return plan.str();
}

void RunConverter(const std::string& input, const std::function<void(const std::filesystem::path&)>& prepare) {
    for (const std::string& output : {std::string("out.bmp"), input}) {
        SCOPED_TRACE(output);
        Path path;
        path.arguments = {input, output};
        path.prepare = prepare;
        Run(path);
    }
}

}  // namespace sweep

// A sweep program is started by its own tests with the plan in its
// environment: it then arms the fault and is the tool.
int main(int argc, char** argv) {
    if (const char* plan = std::getenv(kPlanVariable); plan != nullptr && *plan != '\0') {
        std::istringstream fields(plan);
        std::string log;
        fields >> log;
        std::FILE* record = std::fopen(log.c_str(), "wb");  // binary: one LF a line on every system
        if (record == nullptr) return 121;
        platform::fault::Record(record);
        sweep::Fault fault;
        int kind = 0;
        while (fields >> kind >> fault.nth >> fault.error >> fault.takeAtMost >> fault.times >> fault.signal) {
            fault.kind = static_cast<Call>(kind);
            if (fault.signal != 0) {
                platform::fault::RaiseBefore(fault.kind, fault.nth, fault.signal);
            } else {
                platform::fault::Inject(fault.kind, fault.nth, fault.error, fault.takeAtMost, fault.times);
            }
        }
        return ToolMain(argc, argv);
    }
    program = fs::absolute(argv[0]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
