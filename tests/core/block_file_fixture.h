// Block files in a scratch folder, with the fault-injection seam disarmed
// before and after each test. Shared by the portable block-file tests and
// those of each system's failure numbers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core.h"
#include "platform/fault_injection.h"
#include "run_process.h"

class BlockFileTest : public testing::Test {
protected:
    void SetUp() override {
        platform::fault::Clear();
        FetchIoResult();
    }
    void TearDown() override { platform::fault::Clear(); }

    BlockFile Bound(const std::string& name) {
        BlockFile file;
        BindFile(file, CopyText((folder.Path() / name).string()));
        return file;
    }

    test_support::ScratchFolder folder;
};
