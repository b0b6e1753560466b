// TOLVA: joins a part-file set (base1.zip, base2.zip, ...) back into one
// file. It appends the parts in number order until one cannot be opened,
// then asks whether the set is complete; in floppy mode it waits before
// every part so that the diskettes can be changed.
#include "core.h"
#include "partset.h"
#include "window.h"
#include "platform/ascii.h"

namespace {

enum class Step { Name, Ready, Open, Missing, Copy, DoneAtReady, DoneAtMissing };

// The warning tone: a random pitch from 1001 to 3892 Hz, briefly.
constexpr std::uint16_t kLowestToneHz = 1001;
constexpr std::uint32_t kToneSpreadHz = 2892;
constexpr std::uint16_t kToneMilliseconds = 19;
// Part names and the prompts are indented by this many blanks.
constexpr int kPromptIndent = 17;

PartSetArguments command;
BlockFile outputFile;
BlockFile partFile;

char transferBuffer[kTransferBlockBytes];

void PrintHelp() {
    WriteLine("TOLVA outfile infile size F        (the F is optional) ");
    WriteLine("");
    WriteLine("(please only a few letters for infile");
    WriteLine("and without extension, so TOLVA can add   1.zip   to it;");
    WriteLine("and note that size 1 means ", kFloppyUnitBytes, " bytes (as a floppy);");
    WriteLine("also, if you want it to wait between each output give F also)");
    WriteLine("An example:  TOLVA  test.zip part 1");
    WriteLine("They can have been created with MORVANTE test.zip part 1 F");
    WriteHelpClosing();
}

bool Confirmed() {
    WriteLine("");
    WriteLine("The output file name is: ", command.fileName);
    WriteLine("The input file names are: ", command.baseName, "1.zip, ", command.baseName, "2.zip  etc");
    WriteLine("Input will proceed until the highest .zip found, or");
    WriteLine("until you give a signal, if you use the F (floppy) mode");
    WriteLine("Insert the same floppy twice when you are finished with a series");
    WriteLine("of floppies. It will then ask you whether you are finished.");
    WriteLine("When you use floppies, please have a floppy inside and the floppy");
    WriteLine("door closed each time you ask the program to do something, or");
    WriteLine("else the program will exit improperly. So do this carefully, thanks.");
    WriteLine("If you combine a couple of hundred floppies have gumption first");
    WriteLine("and be prepared for redoing. Even one mistake means beginning over.");
    WriteLine("  THERE MUST BE NO SWAPPING OF SEQUENCE IN DISKETTES. CHECK IT YOURSELF.");
    WriteLine("So do it slow and nice and it will work. If you put it into");
    WriteLine("a common folder on a harddisk first, however, it is MUCH easier.");
    WriteLine("");
    WriteLine("The file ", command.fileName, ", if it exists, will be overwritten.");
    WriteLine("");
    WriteOpenLine("If you are well prepared for this, as I am sure you are, type y: ");
    ShortText reply = ReadReply();
    return TextEquals(reply, "y") || TextEquals(reply, "yes");
}

void SoundWarning() {
    StartTone(static_cast<std::uint16_t>(kLowestToneHz + RandomBelow(kToneSpreadHz)));
    Pause(kToneMilliseconds);
    StopTone();
}

// Appends the open part to the output, one star per block.
void CopyPart() {
    WriteOpenLine("TOLVA Working well");
    bool partDone = false;
    while (!partDone) {
        WriteOpenLine("*");
        if (KeyWaiting()) {
            // Any key is used up; only Ctrl+C handed over as a key ends the run.
            char key = TakeKey();
            CheckIo();
            if (key == ascii::kCtrlC) EndProgram(0);  // Ctrl+C handed over as a key
        }
        std::uint16_t copied = 0;
        CopyBlock(partFile, outputFile, transferBuffer, kTransferBlockBytes, copied);
        CheckIo();
        partDone = copied == 0;
    }
    CloseFile(partFile);
    CheckIo();
}

// Takes one step of the part dialogue; gives the step that follows.
Step TakeStep(Step step, std::int32_t& partNumber) {
    switch (step) {
        case Step::Name:
            WriteLine(Blanks(kPromptIndent), PartFileName(command.baseName, partNumber));
            return command.floppyMode ? Step::Ready : Step::Open;

        case Step::Ready:
            WriteLine(Blanks(kPromptIndent), "AND NOW ENTER WHEN READY (X when complete): ");
            return TextEquals(ReadReply(), "x") ? Step::DoneAtReady : Step::Open;

        case Step::Open:
            ClearWindow();
            OpenPart(partFile, command.baseName, partNumber, outputFile);
            return FetchIoResult() == 0 ? Step::Copy : Step::Missing;

        case Step::Missing: {
            SoundWarning();
            WriteLine("Okay. The file for ", command.baseName, partNumber, ".ZIP is somehow not there.");
            WriteOpenLine("Press X to signal that it is finished, or G to go back and try again: ");
            ShortText reply = ReadReply();
            if (TextEquals(reply, "g")) return Step::Name;
            if (TextEquals(reply, "x")) return Step::DoneAtMissing;
            return Step::Missing;  // any other reply: the question again
        }

        case Step::Copy:
            CopyPart();
            ++partNumber;
            return Step::Name;

        case Step::DoneAtReady:
        case Step::DoneAtMissing: break;
    }
    return step;
}

}  // namespace

int main(int argc, char** argv) {
    command = StartPartSetTool(argc, argv);
    SeedRandom();

    PrintHelp();
    if (!command.Complete()) EndProgram(0);
    if (!Confirmed()) EndProgram(0);

    WriteLine("");
    WriteLine("Proceeding. GOOD. ");
    WriteLine("And Good Luck. What's good is worth waiting for.");
    WriteLine("");
    WriteLine("");
    WriteLine("");

    CreateJoinedFile(outputFile, command.fileName, command.baseName);
    CheckIo();

    std::int32_t partNumber = 1;
    Step step = Step::Name;
    while (step != Step::DoneAtReady && step != Step::DoneAtMissing) step = TakeStep(step, partNumber);

    // The closes are not checked on their own: a failed close leaves its
    // error pending, and the check after the next line reports it.
    WriteLine("");
    if (step == Step::DoneAtReady) {
        ClearWindow();
        WriteLine("Many thanks and good luck.");
        CloseFile(outputFile);
        WriteLine("");
    } else {
        CloseFile(outputFile);
        WriteLine("Many thanks and good luck.");
    }
    EndProgram(0);
}
