#include "../partset.h"

#include "../core/system_name.h"

namespace {

// What the part being opened is checked against: plain data for the checks,
// which the block files call with the opened file alone.
struct PartSetRun {
    ShortText baseName;
    std::int32_t partNumber = 0;
    const BlockFile* other = nullptr;  // the splitter's input, the joiner's output
    // A part was reached through a symbolic link, or has other hard links:
    // from then on a plain name may reach a part written before.
    bool linkedPartWritten = false;
} run;

bool Identify(const ShortText& name, platform::FileIdentity* identity) {
    return !name.cut && platform::IdentifyFile(ToSystemName(name).bytes, identity);
}

bool SameFile(const BlockFile& a, const BlockFile& b) { return a.facts.identity == b.facts.identity; }

char Folded(char c) {
    return platform::NamesIgnoreLetterCase() && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool StartsWith(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (Folded(text[i]) != Folded(start[i])) return false;
    }
    return true;
}

// name is base + digits + ".zip", as the system compares names.
bool HasPartForm(std::string_view name, std::string_view base) {
    constexpr std::string_view kExtension = ".zip";
    if (!StartsWith(name, base) || name.size() < base.size() + 1 + kExtension.size()) return false;
    std::string_view digits = name.substr(base.size(), name.size() - base.size() - kExtension.size());
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    return StartsWith(name.substr(name.size() - kExtension.size()), kExtension);
}

// A part written earlier in this run is found by its name again: a file
// reached now that is one of them was reached through a link.
bool IsAnEarlierPart(const BlockFile& part) {
    platform::FileIdentity earlier;
    for (std::int32_t number = 1; number < run.partNumber; ++number) {
        if (Identify(PartFileName(run.baseName, number), &earlier) && earlier == part.facts.identity) return true;
    }
    return false;
}

// An existing file that no link leads to, and that has one name only,
// cannot be an earlier part by another name: a set of many thousand parts
// costs one look each.
bool MayEmptyPart(const BlockFile& part) {
    if (part.facts.created) return true;
    if (SameFile(part, *run.other)) return false;
    bool linked = part.facts.otherNames;
    if ((linked || run.linkedPartWritten) && IsAnEarlierPart(part)) return false;
    run.linkedPartWritten = run.linkedPartWritten || linked;
    return true;
}

bool MayReadPart(const BlockFile& part) { return !SameFile(part, *run.other); }

// The folder's entries are looked at by name first; only a part's name
// costs a look at the file it reaches.
struct PartSearch {
    const BlockFile* output;
    bool found = false;
};

bool VisitEntry(const char* entry, void* context) {
    auto* search = static_cast<PartSearch*>(context);
    std::string_view base = run.baseName.View();
    std::size_t folderLength = FolderPartLength(base);  // where the parts lie; the rest begins each name
    if (!HasPartForm(entry, base.substr(folderLength))) return true;
    platform::FileIdentity part;
    search->found =
        Identify(JoinTexts({base.substr(0, folderLength), entry}), &part) && part == search->output->facts.identity;
    return !search->found;
}

// The joined file may be emptied unless a part of the set, whatever its
// number, is that very file.
bool NamesNoPart(const BlockFile& output) {
    std::string_view base = run.baseName.View();
    std::size_t folderLength = FolderPartLength(base);
    ShortText folder = folderLength == 0 ? CopyText(".") : CopyText(base.substr(0, folderLength));
    PartSearch search{&output};
    // A folder that cannot be read yet (a drive still without its diskette)
    // is not searched: each part is checked against the output as it opens.
    platform::ListFolder(ToSystemName(folder).bytes, VisitEntry, &search);
    return !search.found;
}

}  // namespace

void WriteHelpClosing() {
    WriteLine("");
    WriteLine("In Velka: It is a good idea to type D on a line first, to load CWSDPMI.");
    WriteLine("        Type D before each run. This ensures full use of memory.");
    WriteLine("");
    WriteLine("This will gently create more files out of one file.");
    WriteLine("If you use diskettes, take care to mark the number of each on each.");
}

PartSetArguments StartPartSetTool(int argc, char** argv) {
    StartProgram(argc, argv);
    PartSetArguments arguments;
    arguments.fileName = ArgumentText(1);
    arguments.baseName = ArgumentText(2);
    arguments.floppyUnits = DigitsToNumber(ArgumentText(3), 10);
    arguments.floppyMode = TextEquals(LowerLetters(ArgumentText(4)), "f");
    return arguments;
}

ShortText PartFileName(const ShortText& baseName, std::int32_t partNumber) {
    return JoinTexts({baseName.View(), DecimalText(partNumber).View(), ".zip"});
}

void CreatePart(BlockFile& part, const ShortText& baseName, std::int32_t partNumber, const BlockFile& input) {
    BindFile(part, PartFileName(baseName, partNumber));
    run.baseName = baseName;
    run.partNumber = partNumber;
    run.other = &input;
    CreateEmpty(part, 1, MayEmptyPart);
}

void CreateJoinedFile(BlockFile& file, const ShortText& name, const ShortText& baseName) {
    BindFile(file, name);
    if (HasPartForm(name.View(), baseName.View())) RaiseIoError(platform::errors::kAccessDenied);
    run.baseName = baseName;
    CreateEmpty(file, 1, NamesNoPart);
}

void OpenPart(BlockFile& part, const ShortText& baseName, std::int32_t partNumber, const BlockFile& output) {
    BindFile(part, PartFileName(baseName, partNumber));
    run.other = &output;
    OpenExisting(part, 1, MayReadPart);
}

std::int32_t DigitsToNumber(const ShortText& text, std::int32_t base) {
    // Unsigned arithmetic gives the wrap-around without undefined behaviour.
    std::uint32_t result = 0;
    std::uint32_t weight = 1;
    for (std::size_t i = text.length; i > 0; --i) {
        auto code = static_cast<unsigned char>(text.bytes[i - 1]);
        result += (static_cast<std::uint32_t>(code) - 48u) * weight;
        weight *= static_cast<std::uint32_t>(base);
    }
    return static_cast<std::int32_t>(result);
}
