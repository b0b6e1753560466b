// An output file that may name the tool's own input. Converting a file into
// itself must never destroy it: the new contents go to a temporary file in
// the same folder, which takes the input's place only once it is complete.
#include <csignal>
#include <cstring>

#include "../core.h"
#include "system_name.h"

namespace {

// Our file name beside the replaced one: prefix, process number, an attempt
// number after a taken name, the extension.
constexpr std::string_view kTemporaryPrefix = "~suite-output-";
constexpr std::string_view kTemporaryExtension = ".tmp";
// Names taken by other files are passed over; this many taken in a row means
// something is wrong with the folder, not bad luck.
constexpr unsigned kTemporaryAttempts = 100;

// The file being replaced, with every link followed, and the temporary file
// while it is being written. Both are system names of any length a path may
// have, never cut: a cut name could reach another file.
char finalPath[platform::kPathBytes];
char temporaryPath[platform::kPathBytes];
// Read by a signal handler that removes the unfinished file; it changes only
// together with the file, while the ending signals wait.
volatile std::sig_atomic_t temporaryPending = 0;
// The temporary file's handle while it is open: Windows removes no file that
// is open, so an unfinished one is closed before it is removed.
platform::FileHandle temporaryHandle = platform::kNoFile;
// The file that was read, which the output's name may reach too and which
// alone may then be replaced; whether the output's opening found that it
// does, and how it is replaced.
platform::FileIdentity inputFile;
bool outputIsInput = false;
platform::ReplacementWay replacementWay = platform::ReplacementWay::Rename;

// A copy over the replaced file moves this much at a time: the block a
// converter writes its image in.
constexpr std::size_t kCopyBlockBytes = 32768;
char copyBlock[kCopyBlockBytes];

bool NotTheInput(const BlockFile& opened) {
    outputIsInput = opened.facts.identity == inputFile;
    return !outputIsInput;
}

// temporaryPath becomes the folder of finalPath with a name of ours in it;
// gives false when no path can be that long. The name carries the process
// number, so that runs converting other files in the same folder at once try
// different names first.
bool NameTemporary(unsigned attempt) {
    std::size_t folderLength = FolderPartLength(finalPath);
    ShortText name = JoinTexts({kTemporaryPrefix, DecimalText(platform::ProcessId()).View(), attempt == 0 ? "" : "-",
                                attempt == 0 ? "" : DecimalText(attempt).View(), kTemporaryExtension});
    if (folderLength + name.length >= sizeof temporaryPath) return false;
    std::memcpy(temporaryPath, finalPath, folderLength);
    std::memcpy(temporaryPath + folderLength, name.bytes, name.length);
    temporaryPath[folderLength + name.length] = '\0';
    return true;
}

// Creates the temporary file that will replace finalPath. The file and its
// record come to be together: an ending signal finds both or neither.
void CreateTemporary(BlockFile& file, std::int32_t recordSize) {
    platform::FileHandle handle = platform::kNoFile;
    std::uint16_t error = platform::errors::kFileExists;
    for (unsigned attempt = 0; attempt < kTemporaryAttempts && error == platform::errors::kFileExists; ++attempt) {
        if (!NameTemporary(attempt)) {
            error = platform::errors::kPathNotFound;
            break;
        }
        platform::HoldEndings();
        error = platform::CreateReplacement(temporaryPath, finalPath, &handle, &replacementWay);
        if (error == 0) {
            temporaryHandle = handle;
            temporaryPending = 1;
        }
        platform::ReleaseEndings();
    }
    if (error != 0) {
        RaiseIoError(error);
        return;
    }
    file.handle = handle;
    file.recordSize = recordSize;
    file.state = FileState::Open;
}

// Copies the complete temporary file over the replaced one, which so keeps
// its identity and all that goes with it. From the first byte on the
// temporary file is the one whole copy of the new image: a failure leaves it
// where it is, for the user. The ending signals wait for the copy, so that
// one never leaves the old file half overwritten.
void CopyOver() {
    platform::FileHandle target = platform::kNoFile;
    platform::FileFacts facts;
    std::uint16_t error = platform::Open(finalPath, platform::OpenKind::Rewrite, &target, &facts);
    if (error == 0 && !(facts.identity == inputFile)) {
        platform::Close(target);
        error = platform::errors::kAccessDenied;  // not the file that was read
    }
    if (error != 0) {
        RaiseIoError(error);
        return;
    }
    temporaryPending = 0;
    platform::FileHandle source = platform::kNoFile;
    platform::FileFacts sourceFacts;
    error = platform::Open(temporaryPath, platform::OpenKind::Existing, &source, &sourceFacts);
    std::int64_t length = 0;
    for (std::size_t got = 1; error == 0 && got != 0;) {
        std::size_t written = 0;
        error = platform::ReadSome(source, copyBlock, sizeof copyBlock, &got);
        if (error == 0) error = platform::WriteAll(target, copyBlock, got, &written);
        length += static_cast<std::int64_t>(written);
    }
    if (error == 0) error = platform::SetLength(target, length);
    if (error == 0) error = platform::Flush(target);
    std::uint16_t closed = platform::Close(target);
    if (error == 0) error = closed;
    if (source != platform::kNoFile) platform::Close(source);
    if (error == 0) error = platform::Remove(temporaryPath);
    RaiseIoError(error);
}

}  // namespace

void CreateOutput(BlockFile& file, const ShortText& name, const BlockFile& input, std::int32_t recordSize) {
    inputFile = input.facts.identity;
    outputIsInput = false;
    BindFile(file, name);
    CreateEmpty(file, recordSize, NotTheInput);
    if (!outputIsInput) return;
    FetchIoResult();  // the refusal of the input, which is replaced instead, whole
    // Through a symbolic link, the file it reaches is replaced and the link
    // stays a link.
    RaiseIoError(platform::FinalPath(ToSystemName(name).bytes, finalPath, sizeof finalPath));
    if (PendingIoError() == 0) CreateTemporary(file, recordSize);
}

void FinishOutput(BlockFile& file) {
    if (temporaryPending == 0) {
        CloseFile(file);
        return;
    }
    // The new image reaches the medium before it replaces anything, so
    // that a power loss cannot leave an empty file in the old one's place.
    if (PendingIoError() == 0 && file.state == FileState::Open) RaiseIoError(platform::Flush(file.handle));
    platform::HoldEndings();
    CloseFile(file);
    if (file.state == FileState::Closed) temporaryHandle = platform::kNoFile;  // closed, even when that failed
    platform::ReleaseEndings();
    if (PendingIoError() == 0) {
        platform::HoldEndings();
        if (replacementWay == platform::ReplacementWay::CopyOver) {
            CopyOver();
        } else {
            RaiseIoError(platform::PutInPlace(temporaryPath, finalPath, inputFile));
            if (PendingIoError() == 0) temporaryPending = 0;
        }
        platform::ReleaseEndings();
    }
    if (PendingIoError() != 0) DiscardTemporaryOutput();
}

void DiscardTemporaryOutput() {
    if (temporaryPending == 0) return;
    platform::HoldEndings();
    if (temporaryHandle != platform::kNoFile) platform::Close(temporaryHandle);
    temporaryHandle = platform::kNoFile;
    platform::Remove(temporaryPath);
    temporaryPending = 0;
    platform::ReleaseEndings();
}
