// MORVANTE: cuts one file into a numbered part-file set of whole floppy
// units (base1.zip, base2.zip, ...), asking for a confirmation first and, in
// floppy mode, waiting for Enter before each part.
#include "core.h"
#include "partset.h"

namespace {

PartSetArguments command;
BlockFile inputFile;
BlockFile partFile;

char transferBuffer[kTransferBlockBytes];

void PrintHelp() {
    WriteLine("MORVANTE infile outfile size F        (the F is optional) ");
    WriteLine("");
    WriteLine("(please only a few letters for outfile, like   part");
    WriteLine("and without extension, so MORVANDE can add   1.zip   to it;");
    WriteLine("and note that size 1 means ", kFloppyUnitBytes, " bytes (as a floppy);");
    WriteLine("also, if you want it to wait between each output give F also)");
    WriteLine("An example:  MORVANTE test.zip part 1");
    WriteHelpClosing();
}

// Prints the summary and gives the user's answer to the confirmation.
bool Confirmed(std::int64_t inputLength, std::int64_t partSize) {
    WriteLine("The input file has size ", inputLength, " bytes.");
    WriteLine("The output will be given in size ", partSize, " bytes.");
    WriteLine("That means that it will be divided in about ", inputLength / partSize + 1, " parts");
    WriteLine("");

    WriteOpenLine("Is this what you intended? ");
    ShortText reply = ReadReply();
    return TextEquals(reply, "y") || TextEquals(reply, "yes");
}

// Shows the part's name; in floppy mode, waits for Enter, so that the
// diskette can be changed first.
void AnnouncePart(const ShortText& name) {
    WriteLine(name);
    if (command.floppyMode) {
        WriteLine(Blanks(35), "ENTER: ");
        AwaitEnter();
    }
}

// Copies the input into the part until the part is full or the input ends;
// gives true when the input ended.
bool CopyIntoPart(std::int32_t partNumber, std::int64_t partSize) {
    CreatePart(partFile, command.baseName, partNumber, inputFile);
    CheckIo();
    std::int64_t bytesInPart = 0;
    bool partFull = false;
    bool inputEnded = false;
    while (!partFull && !inputEnded) {
        std::uint16_t copied = 0;
        CopyBlock(inputFile, partFile, transferBuffer, kTransferBlockBytes, copied);
        CheckIo();
        bytesInPart += copied;
        partFull = bytesInPart % partSize == 0;
        inputEnded = copied == 0;
    }
    CloseFile(partFile);
    CheckIo();
    return inputEnded;
}

}  // namespace

int main(int argc, char** argv) {
    command = StartPartSetTool(argc, argv);

    PrintHelp();
    if (!command.Complete()) EndProgram(0);

    // Sizes are kept in 64 bits: every unit count of 1 or more works, and
    // inputs of 2 GiB and more show their true length.
    std::int64_t partSize = command.floppyUnits * kFloppyUnitBytes;

    WriteLine("");
    WriteLine("The input file name is: ", command.fileName);
    WriteLine("The output file names are: ", command.baseName, "1.zip, ", command.baseName, "2.zip  etc");

    BindFile(inputFile, command.fileName);
    OpenExisting(inputFile, 1);
    CheckIo();
    std::int64_t inputLength = RecordCount(inputFile);
    CheckIo();

    if (!Confirmed(inputLength, partSize)) EndProgram(0);

    bool inputEnded = false;
    for (std::int32_t partNumber = 1; !inputEnded; ++partNumber) {
        ShortText name = PartFileName(command.baseName, partNumber);
        AnnouncePart(name);
        inputEnded = CopyIntoPart(partNumber, partSize);
    }

    CloseFile(inputFile);
    CheckIo();
    WriteLine("You can combine these files by TOLVA Thanks");
    WriteLine("");
    EndProgram(0);
}
