// The part-file set that the splitter writes and the joiner reads back: how
// parts are named and sized, and the digit-string reading of the size
// argument both tools share.
#pragma once

#include <cstdint>

#include "core.h"

// What the tools fit on one diskette.
inline constexpr std::int64_t kFloppyUnitBytes = 1433600;
// The data moved by one block copy; a floppy unit is exactly 25 of them.
inline constexpr std::uint16_t kTransferBlockBytes = 57344;
static_assert(kFloppyUnitBytes == 25 * kTransferBlockBytes);

// The command line both tools take: `fileName baseName size [F]`.
struct PartSetArguments {
    ShortText fileName;            // the splitter's input, the joiner's output
    ShortText baseName;            // of the parts: base1.zip, base2.zip, ...
    std::int32_t floppyUnits = 0;  // the part size
    bool floppyMode = false;       // F: wait before each part, for a diskette change

    // Both names there, and a size of at least one unit; else the tool only helps.
    bool Complete() const { return !fileName.Empty() && !baseName.Empty() && floppyUnits >= 1; }
};
// The lines both tools' help text ends with.
void WriteHelpClosing();

// Starts the program and takes its command line.
PartSetArguments StartPartSetTool(int argc, char** argv);

// base name + decimal part number + ".zip", cut to 255 bytes. A cut name
// opens no file (3): two parts must never share one name.
ShortText PartFileName(const ShortText& baseName, std::int32_t partNumber);

// The checks below compare files by identity, at the moment each file is
// opened and before anything of it is cut or read, so that they hold where
// the file system keeps no locks and whatever links lead where.

// Binds part to the set's part name and creates (empties) it for the
// splitter that reads `input`. When the name reaches the input, or a part
// this run has written, nothing is touched and 5 is pending.
void CreatePart(BlockFile& part, const ShortText& baseName, std::int32_t partNumber, const BlockFile& input);

// Binds file to name and creates (empties) it as the file a set is joined
// into. When name has a part's form (base name, digits, ".zip"), or reaches
// any existing file named as a part of the set, nothing is touched and 5 is
// pending: a set is never joined into itself.
void CreateJoinedFile(BlockFile& file, const ShortText& name, const ShortText& baseName);

// Binds part to the set's part name and opens it for the joiner writing
// `output`. A part that is the output itself does not open (5): the joiner
// counts it as missing.
void OpenPart(BlockFile& part, const ShortText& baseName, std::int32_t partNumber, const BlockFile& output);

// Reads text as a number in the given base, last character first, each
// character counting its code minus 48. 32-bit with silent wrap-around; no
// character is rejected and nothing is reported.
std::int32_t DigitsToNumber(const ShortText& text, std::int32_t base);
