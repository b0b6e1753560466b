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
    if (!IsOpen(file)) RaiseIoError(platform::errors::kFileNotOpen);
    return IsOpen(file);
}

void Open(BlockFile& file, std::int32_t recordSize, platform::OpenKind kind, FileCheck mayUse) {
    if (PendingIoError() != 0) return;
    if (file.state == FileState::Unbound) {
        RaiseIoError(platform::errors::kFileNotBound);
        return;
    }
    if (IsOpen(file)) {
        platform::Close(file.handle);
        file.handle = platform::kNoFile;
        file.state = FileState::Closed;
    }
    if (recordSize <= 0) {
        RaiseIoError(platform::errors::kFileNotFound);
        return;
    }
    SystemName name = ToSystemName(file.name);
    if (PendingIoError() != 0) return;
    platform::FileHandle handle = platform::kNoFile;
    std::uint16_t error = platform::Open(name.bytes, kind, &handle, &file.facts);
    if (error == 0 && mayUse != nullptr && !mayUse(file)) {
        platform::Close(handle);
        if (file.facts.created) platform::Remove(name.bytes);
        error = platform::errors::kAccessDenied;
    }
    // A file this opening made is empty already, and so is a device.
    if (error == 0 && kind == platform::OpenKind::Create && !file.facts.created) {
        std::int64_t length = 0;
        error = platform::Length(handle, &length);
        if (error == 0 && length != 0) error = platform::SetLength(handle, 0);
        if (error != 0) platform::Close(handle);
    }
    if (error != 0) {
        RaiseIoError(error);
        return;
    }
    file.handle = handle;
    file.recordSize = recordSize;
    file.state = FileState::Open;
    file.systemCopies = true;
}

// Lets the system copy up to `bytes` bytes from one file to the other by
// itself, continuing a short copy, until it moves nothing (the end of the
// input, or a file it copies nothing of) or refuses or fails; gives the bytes
// it moved.
std::size_t CopyBySystem(BlockFile& from, BlockFile& to, std::size_t bytes) {
    std::size_t moved = 0;
    while (moved < bytes) {
        std::size_t got = 0;
        if (!platform::CopySome(from.handle, to.handle, bytes - moved, &got) || got == 0) break;
        moved += got;
    }
    return moved;
}

}  // namespace

void BindFile(BlockFile& file, const ShortText& name) {
    file.name = name;
    file.state = FileState::Closed;
    file.handle = platform::kNoFile;
}

void OpenExisting(BlockFile& file, std::int32_t recordSize, FileCheck mayRead) {
    Open(file, recordSize, platform::OpenKind::Existing, mayRead);
}

void CreateEmpty(BlockFile& file, std::int32_t recordSize, FileCheck mayEmpty) {
    Open(file, recordSize, platform::OpenKind::Create, mayEmpty);
}

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

void CopyBlock(BlockFile& from, BlockFile& to, void* buffer, std::uint16_t count, std::uint16_t& done) {
    done = 0;
    if (!ReadyForUse(from) || !ReadyForUse(to)) return;
    // The system copies bytes: a last part-record would reach `to`, which
    // ReadBlock leaves behind, so files of larger records go through the buffer.
    std::uint16_t moved = 0;
    if (from.recordSize == 1 && to.recordSize == 1 && from.systemCopies && to.systemCopies) {
        moved = static_cast<std::uint16_t>(CopyBySystem(from, to, count));
    }
    done = moved;
    if (moved == count) return;
    // Reading and writing the rest, from where the system stopped, tells the
    // end of the input from a refusal, and a read fault from a write fault.
    std::uint16_t got = 0;
    std::uint16_t written = 0;
    ReadBlock(from, buffer, static_cast<std::uint16_t>(count - moved), got);
    WriteBlock(to, buffer, got, written);
    done = static_cast<std::uint16_t>(moved + written);
    // The system stopped before the end: this pair is read and written from now on.
    if (got != 0) {
        from.systemCopies = false;
        to.systemCopies = false;
    }
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
