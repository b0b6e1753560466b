#include <gtest/gtest.h>

#include "capture_images.h"
#include "sweep.h"

TEST(PrintSweep, EveryFailingCallEndsWithItsNumberAndKeepsTheFilesWhole) {
    sweep::RunConverter("cap.bmp", [](const std::filesystem::path& folder) {
        test_support::WriteWholeFile(folder / "cap.bmp", print_test::CaptureImage());
    });
}
