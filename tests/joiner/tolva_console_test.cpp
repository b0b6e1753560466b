// TOLVA's own source on the in-memory console, run whole in a child process:
// what the console device is asked to do while the dialogue waits.
#include <gtest/gtest.h>

#include <filesystem>

#include "memory_console.h"
#include "run_process.h"

int ToolMain(int argc, char** argv);

namespace {

// The whole run: a confirmation, then, with no part there, the warning and
// the missing-part question, answered with X.
void JoinWithoutParts() {
    constexpr int kWaitedWithTone = 99;
    memory_console::Reset({.exitWhenWaitingWithTone = kWaitedWithTone});
    memory_console::Type("y\r");
    memory_console::Type("x\r");
    char name[] = "TOLVA", output[] = "out.dat", base[] = "part", size[] = "1";
    char* arguments[] = {name, output, base, size, nullptr};
    ToolMain(4, arguments);
}

// The warning sounds, then the question waits for its reply with the tone off.
TEST(JoinerOnTheConsoleDevice, TheWarningToneIsOffWhileTheMissingPartQuestionWaits) {
    test_support::ScratchFolder folder;
    std::filesystem::current_path(folder.Path());
    EXPECT_EXIT(JoinWithoutParts(), testing::ExitedWithCode(0), "");
}

}  // namespace
