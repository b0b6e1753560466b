// Block files in a scratch folder, with the fault-injection seam disarmed
// before and after each test. Shared by the portable block-file tests and
// those of each system's failure numbers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core.h"
#include "platform/system_calls/fault_injection.h"
#include "run_process.h"

// The system's own error code for a write the medium failed (the layer's 160).
int WriteFaultError();

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

    // A call of the system that fails with its own error code (0: runs
    // undisturbed), the number the layer makes of it, and for a read or a
    // write the bytes it moved (-1: not looked at).
    struct Failure {
        platform::fault::Call call;
        int systemError;
        std::uint16_t number;
        int moved = -1;
    };

    // Runs each call in turn on a file opened with "data" in it, each with its
    // failure: a read of 8 bytes, a write of one, a measuring, a closing or
    // an opening. A file whose closing or opening failed is closed.
    void ExpectFailures(std::initializer_list<Failure> failures) {
        using platform::fault::Call;
        test_support::WriteWholeFile(folder / "in", "data");
        BlockFile file = Bound("in");
        OpenExisting(file, 1);
        for (const Failure& failure : failures) {
            SCOPED_TRACE(testing::Message()
                         << "call " << static_cast<int>(failure.call) << ", error " << failure.systemError);
            if (failure.systemError != 0) platform::fault::Inject(failure.call, 1, failure.systemError);
            char buffer[8];
            std::uint16_t done = 0;
            switch (failure.call) {
                case Call::Read: ReadBlock(file, buffer, sizeof buffer, done); break;
                case Call::Write: WriteBlock(file, "x", 1, done); break;
                case Call::Length: EXPECT_EQ(RecordCount(file), 0); break;
                case Call::Close: CloseFile(file); break;
                case Call::Open: OpenExisting(file, 1); break;
                default: ADD_FAILURE() << "no block file operation starts with this call";
            }
            EXPECT_EQ(FetchIoResult(), failure.number);
            if (failure.moved >= 0) {
                EXPECT_EQ(done, failure.moved);
            }
            if (failure.call == Call::Close || failure.call == Call::Open) {
                EXPECT_EQ(file.state, FileState::Closed);
            }
        }
    }

    test_support::ScratchFolder folder;
};
