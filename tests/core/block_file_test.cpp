#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "block_file_fixture.h"

using platform::fault::Call;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

TEST_F(BlockFileTest, FilesAreCountedAndReadInWholeRecords) {
    struct Case {
        std::size_t fileBytes;
        std::uint16_t recordBytes;
        std::int64_t records;
        std::uint16_t asked;               // records each ReadBlock asks for
        std::vector<std::uint16_t> given;  // and the records each one gives
    } cases[] = {
        {40, 1, 40, 100, {40, 0}},  // what is left, then nothing
        {1000, 300, 3, 2, {2, 1}},  // 400 bytes left after two records: one whole record
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recordBytes);
        WriteWholeFile(folder / "in", std::string(c.fileBytes, 'x'));
        BlockFile file = Bound("in");
        OpenExisting(file, c.recordBytes);
        EXPECT_EQ(RecordCount(file), c.records);
        std::string buffer(c.asked * c.recordBytes, '\0');
        for (std::uint16_t expected : c.given) {
            std::uint16_t done = 99;
            ReadBlock(file, buffer.data(), c.asked, done);
            EXPECT_EQ(done, expected);
        }
        EXPECT_EQ(RecordCount(file), c.records);  // measuring does not move the position
        CloseFile(file);
        EXPECT_EQ(FetchIoResult(), 0);
    }
}

TEST_F(BlockFileTest, CreateEmptyCutsAnExistingFile) {
    WriteWholeFile(folder / "out", "old contents");
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    EXPECT_EQ(RecordCount(file), 0);
    std::uint16_t done = 0;
    WriteBlock(file, "new", 3, done);
    EXPECT_EQ(done, 3);
    CloseFile(file);
    EXPECT_EQ(ReadWholeFile(folder / "out"), "new");
}

TEST_F(BlockFileTest, OpeningFailuresNameTheCause) {
    BlockFile missing = Bound("absent");
    OpenExisting(missing, 1);
    EXPECT_EQ(FetchIoResult(), 2);
    BlockFile noFolder = Bound("absent-folder/file");
    OpenExisting(noFolder, 1);
    EXPECT_EQ(FetchIoResult(), 3);
    CreateEmpty(noFolder, 1);
    EXPECT_EQ(FetchIoResult(), 3);

    WriteWholeFile(folder / "readonly", "keep");
    test_support::MakeReadOnly(folder / "readonly");
    BlockFile readOnly = Bound("readonly");
    OpenExisting(readOnly, 1);  // refused for the superuser too
    EXPECT_EQ(FetchIoResult(), 5);
    CreateEmpty(readOnly, 1);  // and never emptied
    EXPECT_EQ(FetchIoResult(), 5);
    EXPECT_EQ(ReadWholeFile(folder / "readonly"), "keep");

    // A name cut to 255 bytes reaches no file, not even the one its first
    // 255 bytes name.
    std::string kept = (folder.Path() / "").string();
    kept += std::string(kShortTextBytes - kept.size(), 'k');
    WriteWholeFile(kept, "keep");
    BlockFile cut;
    BindFile(cut, CopyText(kept + "zz"));
    OpenExisting(cut, 1);
    EXPECT_EQ(FetchIoResult(), 3);
    CreateEmpty(cut, 1);
    EXPECT_EQ(FetchIoResult(), 3);
    EXPECT_EQ(ReadWholeFile(kept), "keep");

    BlockFile aFolder = Bound("");
    BindFile(aFolder, CopyText(folder.Path().string()));
    OpenExisting(aFolder, 1);
    EXPECT_EQ(FetchIoResult(), 5);

    BlockFile neverBound;
    OpenExisting(neverBound, 1);
    EXPECT_EQ(FetchIoResult(), 102);
    BlockFile zeroRecords = Bound("readonly");
    OpenExisting(zeroRecords, 0);
    EXPECT_EQ(FetchIoResult(), 2);
}

TEST_F(BlockFileTest, AFailedOpeningLeavesTheFileClosed) {
    BlockFile missing = Bound("absent");
    OpenExisting(missing, 1);
    EXPECT_EQ(FetchIoResult(), 2);
    char buffer[8];
    std::uint16_t done = 0;
    ReadBlock(missing, buffer, 8, done);
    EXPECT_EQ(FetchIoResult(), 103);
    CloseFile(missing);
    EXPECT_EQ(FetchIoResult(), 103);
}

TEST_F(BlockFileTest, AnUnfetchedOpeningErrorIsWhatTheNextCheckReports) {
    WriteWholeFile(folder / "in", "data");
    BlockFile missing = Bound("absent");
    BlockFile present = Bound("in");
    OpenExisting(missing, 1);
    OpenExisting(present, 1);  // does nothing while 2 is pending
    EXPECT_EQ(FetchIoResult(), 2);
    EXPECT_EQ(present.state, FileState::Closed);
}

TEST_F(BlockFileTest, ASecondCloseIsAnError) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 0);
    CloseFile(file);
    EXPECT_EQ(FetchIoResult(), 103);
    OpenExisting(file, 1);  // still bound: opens again without a new BindFile
    EXPECT_EQ(FetchIoResult(), 0);
}

TEST_F(BlockFileTest, ShortTransfersAreContinuedUntilTheBlockIsWhole) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    std::string data = test_support::PatternBytes(1000);
    platform::fault::Inject(Call::Write, 1, 0, 7, 3);  // three writes take 7 bytes each
    std::uint16_t done = 0;
    WriteBlock(file, data.data(), 1000, done);
    EXPECT_EQ(done, 1000);
    EXPECT_EQ(FetchIoResult(), 0);
    CloseFile(file);
    EXPECT_EQ(ReadWholeFile(folder / "out"), data);

    OpenExisting(file, 1);
    std::string read(1000, '\0');
    platform::fault::Inject(Call::Read, 1, 0, 7, 3);  // so do three reads
    ReadBlock(file, read.data(), 1000, done);
    EXPECT_EQ(done, 1000);
    EXPECT_EQ(read, data);
}

TEST_F(BlockFileTest, AWriteTheSystemTakesNothingOfIsADiskFull) {
    BlockFile file = Bound("out");
    CreateEmpty(file, 1);
    platform::fault::Inject(Call::Write, 2, 0, 0);  // the second write takes nothing
    platform::fault::Inject(Call::Write, 1, 0, 10);
    std::uint16_t done = 0;
    WriteBlock(file, "0123456789abcdef", 16, done);
    EXPECT_EQ(done, 10);
    EXPECT_EQ(FetchIoResult(), 101);
}

TEST_F(BlockFileTest, CopyBlockMovesWhatReadBlockAndWriteBlockWould) {
    struct Case {
        std::int32_t recordSize;
        std::size_t bytes;
        std::uint16_t count;
        std::vector<std::uint16_t> blocks;  // done of each copy, up to the first 0
    };
    const Case cases[] = {
        {1, 2500, 1000, {1000, 1000, 500, 0}},
        {1, 2000, 1000, {1000, 1000, 0}},
        {300, 1000, 2, {2, 1, 0}},  // the last 100 bytes are no whole record and stay behind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("record size " + std::to_string(c.recordSize) + ", " + std::to_string(c.bytes) + " bytes");
        std::string data = test_support::PatternBytes(c.bytes);
        WriteWholeFile(folder / "in", data);
        BlockFile in = Bound("in"), out = Bound("out");
        OpenExisting(in, c.recordSize);
        CreateEmpty(out, c.recordSize);
        char buffer[1000];
        std::vector<std::uint16_t> blocks;
        std::uint16_t done = 0;
        do {
            CopyBlock(in, out, buffer, c.count, done);
            blocks.push_back(done);
        } while (done != 0 && blocks.size() < c.blocks.size());
        CloseFile(in);
        CloseFile(out);
        EXPECT_EQ(FetchIoResult(), 0);
        EXPECT_EQ(blocks, c.blocks);
        std::size_t whole = c.bytes / static_cast<std::size_t>(c.recordSize) * static_cast<std::size_t>(c.recordSize);
        EXPECT_EQ(ReadWholeFile(folder / "out"), data.substr(0, whole));
    }
}

// An in-place output takes the place only of the file that was read, and only
// while no other run uses it; else the run fails with 5, nothing is replaced
// and no temporary file is left. A file of two names is written over, and a
// failure on the way leaves the whole new image in the temporary file.
TEST_F(BlockFileTest, AnInPlaceOutputReplacesOnlyTheFileItReadWhileNoOneUsesIt) {
    enum class Meanwhile { Nothing, AnotherFileTakesTheName, AnotherRunReadsIt, TheCopyFails };
    const struct Case {
        Meanwhile meanwhile;
        bool secondName;  // the file has another hard link: it is written over
        std::uint16_t number;
        const char* left;       // in the file of that name
        const char* temporary;  // in the one file beside it, if any
    } cases[] = {
        {Meanwhile::Nothing, false, 0, "new", nullptr},
        {Meanwhile::AnotherFileTakesTheName, false, 5, "other", nullptr},
        {Meanwhile::AnotherRunReadsIt, false, 5, "old", nullptr},
        {Meanwhile::Nothing, true, 0, "new", nullptr},
        {Meanwhile::AnotherFileTakesTheName, true, 5, "other", nullptr},
        {Meanwhile::TheCopyFails, true, 160, "old", "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.meanwhile) << (c.secondName ? " two names" : ""));
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) std::filesystem::remove(entry);
        WriteWholeFile(folder / "img", "old");
        if (c.secondName) std::filesystem::create_hard_link(folder / "img", folder / "second");
        BlockFile input = Bound("img"), output, otherRun = Bound("img");
        OpenExisting(input, 1);
        CloseFile(input);
        CreateOutput(output, input.name, input, 1);
        ASSERT_EQ(FetchIoResult(), 0);
        if (c.meanwhile == Meanwhile::AnotherFileTakesTheName) {
            WriteWholeFile(folder / "other", "other");
            std::filesystem::rename(folder / "other", folder / "img");
        }
        if (c.meanwhile == Meanwhile::AnotherRunReadsIt) OpenExisting(otherRun, 1);
        std::uint16_t done = 0;
        WriteBlock(output, "new", 3, done);
        if (c.meanwhile == Meanwhile::TheCopyFails) platform::fault::Inject(Call::Write, 1, WriteFaultError());
        FinishOutput(output);
        EXPECT_EQ(FetchIoResult(), c.number);
        EXPECT_EQ(ReadWholeFile(folder / "img"), c.left);
        std::vector<std::string> names = test_support::FolderContents(folder.Path());
        std::erase(names, "img");
        std::erase(names, "second");
        ASSERT_EQ(names.size(), c.temporary != nullptr ? 1u : 0u);
        if (c.temporary != nullptr) {
            EXPECT_EQ(ReadWholeFile(folder / names[0]), c.temporary);
        }
        if (otherRun.state == FileState::Open) CloseFile(otherRun);
    }
}
