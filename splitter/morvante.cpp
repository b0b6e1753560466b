// MORVANTE: cuts one file into a numbered part-file set of whole floppy
// units (base1.zip, base2.zip, ...), asking for a confirmation first and, in
// floppy mode, waiting for Enter before each part.
#include "core.h"
#include "partset.h"

namespace {

ShortText inputName;
ShortText baseName;
bool floppyMode = false;
BlockFile inputFile;
BlockFile partFile;

// Only the first transfer block of it is ever used; the full floppy unit is
// the size both tools have always declared.
char transferBuffer[kTransferBufferBytes];

void PrintHelp() {
    WriteLine("MORVANTE infile outfile size F        (the F is optional) ");
    WriteLine("");
    WriteLine("(please only a few letters for outfile, like   part");
    WriteLine("and without extension, so MORVANDE can add   1.zip   to it;");
    WriteText("and note that size 1 means ");
    WriteInteger(kFloppyUnitBytes);
    WriteText(" bytes (as a floppy);");
    EndLine();
    CheckIo();
    WriteLine("also, if you want it to wait between each output give F also)");
    WriteLine("An example:  MORVANTE test.zip part 1");
    WriteLine("");
    WriteLine("In Velka: It is a good idea to type D on a line first, to load CWSDPMI.");
    WriteLine("        Type D before each run. This ensures full use of memory.");
    WriteLine("");
    WriteLine("This will gently create more files out of one file.");
    WriteLine("If you use diskettes, take care to mark the number of each on each.");
}

// Prints the summary and gives the user's answer to the confirmation.
bool Confirmed(std::int64_t inputLength, std::int64_t partSize) {
    WriteText("The input file has size ");
    WriteInteger(inputLength);
    WriteText(" bytes.");
    EndLine();
    CheckIo();
    WriteText("The output will be given in size ");
    WriteInteger(partSize);
    WriteText(" bytes.");
    EndLine();
    CheckIo();
    WriteText("That means that it will be divided in about ");
    WriteInteger(inputLength / partSize + 1);
    WriteText(" parts");
    EndLine();
    CheckIo();
    WriteLine("");

    WriteText("Is this what you intended? ");
    EndWrite();
    CheckIo();
    ShortText reply = LowerLetters(ReadText());
    CheckIo();
    SkipLine();
    CheckIo();
    return TextEquals(reply, "y") || TextEquals(reply, "yes");
}

// Writes one part; gives true when the input ran out during it.
bool WritePart(std::int32_t partNumber, std::int64_t partSize) {
    ShortText name = PartFileName(baseName, partNumber);
    WriteLine(name.View());
    if (floppyMode) {
        WriteText(Blanks(35).View());
        WriteText("ENTER: ");
        EndLine();
        CheckIo();
        SkipLine();
        CheckIo();
    }

    BindFile(partFile, name);
    CreateEmpty(partFile, 1);
    CheckIo();
    std::int64_t bytesInPart = 0;
    bool partFull = false;
    bool inputExhausted = false;
    while (!partFull && !inputExhausted) {
        std::uint16_t readCount = 0;
        std::uint16_t writeCount = 0;
        ReadBlock(inputFile, transferBuffer, kTransferBlockBytes, readCount);
        CheckIo();
        WriteBlock(partFile, transferBuffer, readCount, writeCount);
        CheckIo();
        bytesInPart += writeCount;
        partFull = bytesInPart % partSize == 0;
        inputExhausted = readCount == 0 || writeCount != readCount;
    }
    CloseFile(partFile);
    CheckIo();
    return inputExhausted;
}

}  // namespace

int main(int argc, char** argv) {
    StartProgram(argc, argv);
    inputName = ArgumentText(1);
    baseName = ArgumentText(2);
    std::int32_t floppyUnits = DigitsToNumber(ArgumentText(3), 10);
    floppyMode = TextEquals(LowerLetters(ArgumentText(4)), "f");

    PrintHelp();
    if (inputName.Empty() || baseName.Empty() || floppyUnits < 1) EndProgram(0);

    // Sizes are kept in 64 bits: every unit count of 1 or more works, and
    // inputs of 2 GiB and more show their true length.
    std::int64_t partSize = floppyUnits * kFloppyUnitBytes;

    WriteLine("");
    WriteText("The input file name is: ");
    WriteText(inputName.View());
    EndLine();
    CheckIo();
    WriteText("The output file names are: ");
    WriteText(baseName.View());
    WriteText("1.zip, ");
    WriteText(baseName.View());
    WriteText("2.zip  etc");
    EndLine();
    CheckIo();

    BindFile(inputFile, inputName);
    OpenExisting(inputFile, 1);
    CheckIo();
    std::int64_t inputLength = RecordCount(inputFile);
    CheckIo();

    if (!Confirmed(inputLength, partSize)) EndProgram(0);

    std::int32_t partNumber = 1;
    while (!WritePart(partNumber, partSize)) ++partNumber;

    CloseFile(inputFile);
    CheckIo();
    WriteLine("You can combine these files by TOLVA Thanks");
    WriteLine("");
    EndProgram(0);
}
