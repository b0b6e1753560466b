#include <gtest/gtest.h>

#include "run_process.h"
#include "sweep.h"

TEST(SplitterSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    constexpr std::size_t kUnit = 1433600;
    sweep::Path path;
    path.arguments = {"in.dat", "part", "1"};  // two parts, the second of 100 bytes
    path.keys = "y\n";
    path.prepare = [](const std::filesystem::path& folder) {
        test_support::WriteWholeFile(folder / "in.dat", test_support::PatternBytes(kUnit + 100));
    };
    sweep::Run(path);
}
