#include <gtest/gtest.h>

#include "capture_images.h"
#include "sweep.h"

TEST(PrintSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    for (const char* output : {"out.bmp", "cap.bmp"}) {  // to another file, and in place
        SCOPED_TRACE(output);
        sweep::Path path;
        path.arguments = {"cap.bmp", output};
        path.prepare = [](const std::filesystem::path& folder) {
            test_support::WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
        };
        sweep::Run(path);
    }
}
