// TOLVA: joins a part-file set (base1.zip, base2.zip, ...) back into one
// file. It appends the parts in number order until one cannot be opened,
// then asks whether the set is complete; in floppy mode it waits before
// every part so that the diskettes can be changed.
#include "core.h"
#include "partset.h"
#include "window.h"

namespace {

enum class Step { Name, Ready, Open, Missing, Copy, DoneAtReady, DoneAtMissing };

// The key the console hands over for Ctrl+C when it does not interrupt.
constexpr char kInterruptKey = 3;
// The warning tone: a random pitch from 1001 to 3892 Hz, briefly.
constexpr std::uint16_t kLowestToneHz = 1001;
constexpr std::uint32_t kToneSpreadHz = 2892;
constexpr std::uint16_t kToneMilliseconds = 19;
// Part names and the prompts are indented by this many blanks.
constexpr int kPromptIndent = 17;

ShortText outputName;
ShortText baseName;
bool floppyMode = false;
ShortText reply;
BlockFile outputFile;
BlockFile partFile;

// Only the first transfer block of it is ever used; the full floppy unit is
// the size both tools have always declared.
char transferBuffer[kTransferBufferBytes];

void ReadReply() {
    reply = ReadText();
    CheckIo();
    SkipLine();
    CheckIo();
    reply = LowerLetters(reply);
}

void PrintHelp() {
    WriteLine("TOLVA outfile infile size F        (the F is optional) ");
    WriteLine("");
    WriteLine("(please only a few letters for infile");
    WriteLine("and without extension, so TOLVA can add   1.zip   to it;");
    WriteText("and note that size 1 means ");
    WriteInteger(kFloppyUnitBytes);
    WriteText(" bytes (as a floppy);");
    EndLine();
    CheckIo();
    WriteLine("also, if you want it to wait between each output give F also)");
    WriteLine("An example:  TOLVA  test.zip part 1");
    WriteLine("They can have been created with MORVANTE test.zip part 1 F");
    WriteLine("");
    WriteLine("In Velka: It is a good idea to type D on a line first, to load CWSDPMI.");
    WriteLine("        Type D before each run. This ensures full use of memory.");
    WriteLine("");
    WriteLine("This will gently create more files out of one file.");
    WriteLine("If you use diskettes, take care to mark the number of each on each.");
}

bool Confirmed() {
    WriteLine("");
    WriteText("The output file name is: ");
    WriteText(outputName.View());
    EndLine();
    CheckIo();
    WriteText("The input file names are: ");
    WriteText(baseName.View());
    WriteText("1.zip, ");
    WriteText(baseName.View());
    WriteText("2.zip  etc");
    EndLine();
    CheckIo();
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
    WriteText("The file ");
    WriteText(outputName.View());
    WriteText(", if it exists, will be overwritten.");
    EndLine();
    CheckIo();
    WriteLine("");
    WriteText("If you are well prepared for this, as I am sure you are, type y: ");
    EndWrite();
    CheckIo();
    ReadReply();
    return TextEquals(reply, "y") || TextEquals(reply, "yes");
}

void SoundWarning() {
    StartTone(static_cast<std::uint16_t>(kLowestToneHz + RandomBelow(kToneSpreadHz)));
    Pause(kToneMilliseconds);
    StopTone();
}

// Appends the open part to the output, one star per block read.
void CopyPart() {
    WriteText("TOLVA Working well");
    EndWrite();
    CheckIo();
    bool partDone = false;
    while (!partDone) {
        WriteChar('*');
        EndWrite();
        CheckIo();
        if (KeyWaiting()) {
            // Any key is used up; only Ctrl+C handed over as a key ends the run.
            char key = TakeKey();
            CheckIo();
            if (key == kInterruptKey) EndProgram(0);
        }
        std::uint16_t readCount = 0;
        std::uint16_t writeCount = 0;
        ReadBlock(partFile, transferBuffer, kTransferBlockBytes, readCount);
        CheckIo();
        WriteBlock(outputFile, transferBuffer, readCount, writeCount);
        CheckIo();
        partDone = readCount == 0 || writeCount != readCount;
    }
    CloseFile(partFile);
    CheckIo();
}

// One pass of the part dialogue; gives the step that follows.
Step Perform(Step step, std::int32_t& partNumber) {
    switch (step) {
        case Step::Name:
            WriteText(Blanks(kPromptIndent).View());
            WriteText(PartFileName(baseName, partNumber).View());
            EndLine();
            CheckIo();
            return floppyMode ? Step::Ready : Step::Open;

        case Step::Ready:
            WriteText(Blanks(kPromptIndent).View());
            WriteText("AND NOW ENTER WHEN READY (X when complete): ");
            EndLine();
            CheckIo();
            ReadReply();
            return TextEquals(reply, "x") ? Step::DoneAtReady : Step::Open;

        case Step::Open:
            ClearWindow();
            BindFile(partFile, PartFileName(baseName, partNumber));
            OpenExisting(partFile, 1);
            return FetchIoResult() == 0 ? Step::Copy : Step::Missing;

        case Step::Missing:
            SoundWarning();
            WriteText("Okay. The file for ");
            WriteText(baseName.View());
            WriteText(DecimalText(partNumber).View());
            WriteText(".ZIP is somehow not there.");
            EndLine();
            CheckIo();
            WriteText("Press X to signal that it is finished, or G to go back and try again: ");
            EndWrite();
            CheckIo();
            ReadReply();
            if (TextEquals(reply, "g")) return Step::Name;
            if (TextEquals(reply, "x")) return Step::DoneAtMissing;
            return Step::Missing;  // any other reply: the question again

        case Step::Copy:
            CopyPart();
            ++partNumber;
            return Step::Name;

        case Step::DoneAtReady:
        case Step::DoneAtMissing:
            break;
    }
    return step;
}

}  // namespace

int main(int argc, char** argv) {
    StartProgram(argc, argv);
    SeedRandom();
    outputName = ArgumentText(1);
    baseName = ArgumentText(2);
    std::int32_t floppyUnits = DigitsToNumber(ArgumentText(3), 10);
    floppyMode = TextEquals(LowerLetters(ArgumentText(4)), "f");

    PrintHelp();
    if (baseName.Empty() || outputName.Empty() || floppyUnits < 1) EndProgram(0);
    if (!Confirmed()) EndProgram(0);

    WriteLine("");
    WriteLine("Proceeding. GOOD. ");
    WriteLine("And Good Luck. What's good is worth waiting for.");
    WriteLine("");
    WriteLine("");
    WriteLine("");

    CreateJoinedFile(outputFile, outputName, baseName);
    CheckIo();

    std::int32_t partNumber = 1;
    Step step = Step::Name;
    while (step != Step::DoneAtReady && step != Step::DoneAtMissing) step = Perform(step, partNumber);

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
