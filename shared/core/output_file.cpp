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
// Read by a signal handler that removes the unfinished file.
volatile std::sig_atomic_t temporaryPending = 0;
// The temporary file's handle while it is open: Windows removes no file that
// is open, so an unfinished one is closed before it is removed.
platform::FileHandle temporaryHandle = platform::kNoFile;

bool SameFile(const char* first, const char* second) {
    platform::FileIdentity a, b;
    return platform::IdentifyFile(first, &a) && platform::IdentifyFile(second, &b) && a == b;
}

// temporaryPath becomes the folder of finalPath with a name of ours in it;
// gives false when no path can be that long. The name carries the process
// number, so that runs converting other files in the same folder at once try
// different names first.
bool NameTemporary(unsigned attempt) {
    std::string_view path = finalPath;
    std::size_t slash = path.find_last_of(platform::FolderSeparators());
    std::size_t folderLength = slash == std::string_view::npos ? 0 : slash + 1;
    ShortText name = JoinTexts({kTemporaryPrefix, DecimalText(platform::ProcessId()).View(),
                                attempt == 0 ? "" : "-", attempt == 0 ? "" : DecimalText(attempt).View(),
                                kTemporaryExtension});
    if (folderLength + name.length >= sizeof temporaryPath) return false;
    std::memcpy(temporaryPath, finalPath, folderLength);
    std::memcpy(temporaryPath + folderLength, name.bytes, name.length);
    temporaryPath[folderLength + name.length] = '\0';
    return true;
}

// Creates the temporary file that will replace finalPath.
void CreateTemporary(BlockFile& file, std::int32_t recordSize) {
    platform::FileHandle handle = platform::kNoFile;
    std::uint16_t error = platform::kFileExists;
    for (unsigned attempt = 0; attempt < kTemporaryAttempts && error == platform::kFileExists; ++attempt) {
        if (!NameTemporary(attempt)) {
            error = 3;  // path not found or name too long
            break;
        }
        error = platform::CreateReplacement(temporaryPath, finalPath, &handle);
    }
    if (error != 0) {
        RaiseIoError(error);
        return;
    }
    temporaryHandle = handle;
    temporaryPending = 1;
    file.handle = handle;
    file.recordSize = recordSize;
    file.state = FileState::Open;
}

}  // namespace

void CreateOutput(BlockFile& file, const ShortText& name, const ShortText& inputName, std::int32_t recordSize) {
    BindFile(file, name);
    SystemName output = ToSystemName(name);
    if (PendingIoError() != 0 || !SameFile(output.bytes, ToSystemName(inputName).bytes)) {
        CreateEmpty(file, recordSize);
        return;
    }
    if (recordSize <= 0) {
        RaiseIoError(2);
        return;
    }
    // Through a symbolic link, the file it reaches is replaced and the link
    // stays a link.
    RaiseIoError(platform::FinalPath(output.bytes, finalPath, sizeof finalPath));
    if (PendingIoError() == 0) CreateTemporary(file, recordSize);
}

void FinishOutput(BlockFile& file) {
    CloseFile(file);
    if (file.state == FileState::Closed) temporaryHandle = platform::kNoFile;  // closed, even when that failed
    if (temporaryPending == 0) return;
    if (PendingIoError() == 0) RaiseIoError(platform::PutInPlace(temporaryPath, finalPath));
    if (PendingIoError() != 0) DiscardTemporaryOutput();
    temporaryPending = 0;
}

void DiscardTemporaryOutput() {
    if (temporaryPending == 0) return;
    temporaryPending = 0;
    if (temporaryHandle != platform::kNoFile) platform::Close(temporaryHandle);
    temporaryHandle = platform::kNoFile;
    platform::Remove(temporaryPath);
}
