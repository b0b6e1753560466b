#include "partset.h"

#include "core/system_name.h"

namespace {

bool Identify(const ShortText& name, platform::FileIdentity* identity) {
    return !name.cut && platform::IdentifyFile(ToSystemName(name).bytes, identity);
}

bool NamesAPart(const ShortText& name, const ShortText& baseName) {
    platform::FileIdentity target, part;
    if (!Identify(name, &target)) return false;
    for (std::int32_t partNumber = 1; partNumber > 0; ++partNumber) {
        if (!Identify(PartFileName(baseName, partNumber), &part)) return false;
        if (part == target) return true;
    }
    return false;
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

void CreateJoinedFile(BlockFile& file, const ShortText& name, const ShortText& baseName) {
    BindFile(file, name);
    if (PendingIoError() == 0 && NamesAPart(name, baseName)) RaiseIoError(5);
    CreateEmpty(file, 1);
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
