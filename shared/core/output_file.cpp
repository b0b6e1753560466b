// An output file that may name the tool's own input. Converting a file into
// itself must never destroy it: the new contents go to a temporary file in
// the same folder, which takes the input's place only once it is complete.
#include "../core.h"
#include "system_name.h"

namespace {

// The temporary file while it is being written; removed on any end through
// the run-time error report.
SystemName temporaryName;
SystemName finalName;
bool temporaryPending = false;

// The folder part of name with a file name of ours in it. The name carries
// the process number: tools converting other files in place in the same
// folder at the same time must not share one temporary file.
ShortText TemporaryBeside(const ShortText& name) {
    std::string_view path = name.View();
    std::size_t slash = path.find_last_of(platform::FolderSeparators());
    std::string_view folder = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
    ShortText process = DecimalText(platform::ProcessId());
    return JoinTexts({folder, "~suite-output-", process.View(), ".tmp"});
}

}  // namespace

void CreateOutput(BlockFile& file, const ShortText& name, const ShortText& inputName, std::int32_t recordSize) {
    SystemName output = ToSystemName(name);
    if (PendingIoError() != 0 || !platform::SameFile(output.bytes, ToSystemName(inputName).bytes)) {
        BindFile(file, name);
        CreateEmpty(file, recordSize);
        return;
    }
    ShortText temporary = TemporaryBeside(name);
    BindFile(file, temporary);
    CreateEmpty(file, recordSize);
    if (PendingIoError() != 0) return;
    temporaryName = ToSystemName(temporary);
    finalName = output;
    temporaryPending = true;
}

void FinishOutput(BlockFile& file) {
    CloseFile(file);
    if (!temporaryPending) return;
    if (PendingIoError() == 0) RaiseIoError(platform::ReplaceFile(temporaryName.bytes, finalName.bytes));
    if (PendingIoError() != 0) DiscardTemporaryOutput();
    temporaryPending = false;
}

void DiscardTemporaryOutput() {
    if (!temporaryPending) return;
    platform::RemoveFile(temporaryName.bytes);
    temporaryPending = false;
}
