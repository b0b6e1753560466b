#include <gtest/gtest.h>

#include "run_process.h"
#include "sweep.h"

TEST(GreentoneSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    sweep::RunConverter("in.bmp", [](const std::filesystem::path& folder) {
        test_support::WriteWholeFile(folder / "talmiro.dat", test_support::PatternBytes(1078, 1));
        test_support::WriteWholeFile(folder / "in.bmp", test_support::PatternBytes(750138, 2));
    });
}
