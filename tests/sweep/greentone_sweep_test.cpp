#include <gtest/gtest.h>

#include "run_process.h"
#include "sweep.h"

TEST(GreentoneSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    for (const char* output : {"out.bmp", "in.bmp"}) {  // to another file, and in place
        SCOPED_TRACE(output);
        sweep::Path path;
        path.arguments = {"in.bmp", output};
        path.prepare = [](const std::filesystem::path& folder) {
            test_support::WriteWholeFile(folder / "talmiro.dat", test_support::PatternBytes(1078, 1));
            test_support::WriteWholeFile(folder / "in.bmp", test_support::PatternBytes(750138, 2));
        };
        sweep::Run(path);
    }
}
