#include <gtest/gtest.h>

#include "run_process.h"
#include "sweep.h"

TEST(JoinerSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    sweep::Path path;
    path.arguments = {"out.dat", "part", "1"};
    path.keys = "y\nx\n";
    path.mayEndEarlyWell = true;  // a part that does not open is missing, and x ends the join there
    path.prepare = [](const std::filesystem::path& folder) {
        const std::size_t sizes[] = {70000, 60000, 1000};
        for (unsigned n = 1; n <= 3; ++n) {
            test_support::WriteWholeFile(folder / ("part" + std::to_string(n) + ".zip"),
                                         test_support::PatternBytes(sizes[n - 1], n));
        }
    };
    sweep::Run(path);
}
