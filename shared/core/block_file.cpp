// Block files: whole records moved between a file and memory, no buffering
// in between.
#include "../core.h"
#include "system_name.h"

namespace {

bool IsOpen(const BlockFile& file) { return file.state == FileState::Open; }

// No operation goes on past a pending error; one on a file that is not open
// fails with 103.
bool ReadyForUse(const BlockFile& file) {
    if (PendingIoError() != 0) return false;
    if (!IsOpen(file)) RaiseIoError(103);
    return IsOpen(file);
}

void Open(BlockFile& file, std::int32_t recordSize, platform::OpenKind kind) {
    if (PendingIoError() != 0) return;
    if (file.state == FileState::Unbound) {
        RaiseIoError(102);
        return;
    }
    if (IsOpen(file)) {
        platform::Close(file.handle);
        file.handle = platform::kNoFile;
        file.state = FileState::Closed;
    }
    if (recordSize <= 0) {
        RaiseIoError(2);
        return;
    }
    SystemName name = ToSystemName(file.name);
    if (PendingIoError() != 0) return;
    platform::FileHandle handle = platform::kNoFile;
    std::uint16_t error = platform::Open(name.bytes, kind, &handle);
    if (error != 0) {
        RaiseIoError(error);
        return;
    }
    file.handle = handle;
    file.recordSize = recordSize;
    file.state = FileState::Open;
}

}  // namespace

void BindFile(BlockFile& file, const ShortText& name) {
    file.name = name;
    file.state = FileState::Closed;
    file.handle = platform::kNoFile;
}

void OpenExisting(BlockFile& file, std::int32_t recordSize) { Open(file, recordSize, platform::OpenKind::Existing); }

void CreateEmpty(BlockFile& file, std::int32_t recordSize) { Open(file, recordSize, platform::OpenKind::CreateEmpty); }

void ReadBlock(BlockFile& file, void* buffer, std::uint16_t count, std::uint16_t& done) {
    done = 0;
    if (!ReadyForUse(file)) return;
    std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(file.recordSize);
    // A file system may hand a block over in pieces; only the end of the
    // file makes a block short, so that a part is always its full size.
    char* into = static_cast<char*>(buffer);
    std::size_t moved = 0;
    while (moved < bytes) {
        std::size_t got = 0;
        std::uint16_t error = platform::ReadSome(file.handle, into + moved, bytes - moved, &got);
        moved += got;
        RaiseIoError(error);
        if (error != 0 || got == 0) break;
    }
    done = static_cast<std::uint16_t>(moved / static_cast<std::size_t>(file.recordSize));
}

void WriteBlock(BlockFile& file, const void* buffer, std::uint16_t count, std::uint16_t& done) {
    done = 0;
    if (!ReadyForUse(file)) return;
    std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(file.recordSize);
    std::size_t moved = 0;
    RaiseIoError(platform::WriteAll(file.handle, buffer, bytes, &moved));
    done = static_cast<std::uint16_t>(moved / static_cast<std::size_t>(file.recordSize));
}

std::int64_t RecordCount(BlockFile& file) {
    if (!ReadyForUse(file)) return 0;
    std::int64_t length = 0;
    std::uint16_t error = platform::Length(file.handle, &length);
    if (error != 0) {
        RaiseIoError(error);
        return 0;
    }
    return length / file.recordSize;
}

void CloseFile(BlockFile& file) {
    if (!ReadyForUse(file)) return;
    std::uint16_t error = platform::Close(file.handle);
    file.handle = platform::kNoFile;
    file.state = FileState::Closed;
    RaiseIoError(error);
}
