// TALMIROX3, TALMIRO3 and TALMIROX: turn a 500x500 24-bit BMP into a 500x500
// 8-bit greentone BMP whose header and palette come from talmiro.dat in the
// current folder. One driver, built once per row of the variant table; a run
// that goes well prints nothing, so the tools suit batch conversion.
#include <cstring>
#include <span>

#include "converter.h"
#include "core.h"
#include "formats.h"
#include "mapping.h"
#include "variants.h"

#ifndef VARIANT_ROW
#error "VARIANT_ROW must select a row of the variant table"
#endif

namespace {

constexpr Variant kVariant = kVariants[VARIANT_ROW];
// The pixels run to the end of an input of the expected size.
static_assert(kVariant.pixelDataOffset + kInputPixelBytes == kVariant.expectedInputSize);

// Large enough for an input of either header kind together with the two
// blocks that loading copies past its end.
constexpr std::int32_t kImageBufferBytes = 850000;
static_assert(kVariant.expectedInputSize + 2 * kImageBlockBytes <= kImageBufferBytes);

// The palette file is looked for by its bare name, so in the current folder.
constexpr std::string_view kPaletteFileName = "talmiro.dat";

std::uint8_t inputImage[kImageBufferBytes];
std::uint8_t outputImage[kImageBufferBytes];   // the palette file, then the indexes after its header block
std::uint8_t transferBlock[kImageBlockBytes];  // for loading; never cleared between blocks or files

ShortText inputName;
ShortText outputName;
BlockFile sourceFile;  // the palette file first, then the input
BlockFile outputFile;

// Reads the open source file into buffer from its first byte on, one block
// at a time, and closes it; gives the bytes the reads delivered. Each block
// is copied whole, also after a short read, so past the file's end the
// buffer holds what the block held before. The copies stop at the buffer's
// end: the rest of an over-long file is not read, and the total read then
// already exceeds every expected size.
std::int32_t LoadFile(std::span<std::uint8_t, kImageBufferBytes> buffer) {
    std::int32_t totalRead = 0;
    std::int32_t fillPosition = 0;  // where the next block goes
    std::uint16_t readCount = 0;
    do {
        ReadBlock(sourceFile, transferBlock, kImageBlockBytes, readCount);
        CheckIo();
        std::int32_t room = kImageBufferBytes - fillPosition;
        std::int32_t copied = room < kImageBlockBytes ? room : kImageBlockBytes;
        std::memcpy(buffer.data() + fillPosition, transferBlock, static_cast<std::size_t>(copied));
        fillPosition += copied;
        totalRead += readCount;
    } while (readCount != 0 && fillPosition < kImageBufferBytes);
    CloseFile(sourceFile);
    CheckIo();
    return totalRead;
}

// Every help line is padded with blanks to the same width.
constexpr std::size_t kHelpLineWidth = 65;

void HelpLine(std::string_view text) { WriteLine(text, Blanks(static_cast<int>(kHelpLineWidth - text.size()))); }

void PrintHelp() {
    HelpLine("TALMIRO and TALMIRO3 transforms 500x500 24-bit .bmp into the");
    HelpLine("pure classical standard indexed greentone 500x500 BMP. To prepare");
    HelpLine("such an image, select \"No compression\" and \"No color space info\".");
    HelpLine("If there is \"color space info\", use TALMIROX and TALMIRO3X.");
    HelpLine("For high-contrasting images, ..TALMIRO..3.. may be preferable.");
    HelpLine("Required input file size TALMIRO  and TALMIRO3 : 750054 bytes.");
    HelpLine("         input file size TALMIROX and TALMIROX3: 750138 bytes.");
    HelpLine("This program works fast when input is prepared right, and can be");
    HelpLine("used for automatic batch conversion purposes with ORVIK.");
    HelpLine("It will also input palette from a file called \"talmiro.dat\".");
    HelpLine("Part of the floppy suite, written and kept by its own team.");
    HelpLine(JoinTexts({"*****************Usage       ", kVariant.usageName, " infile.bmp outfile.bmp"}).View());
    HelpLine("***********where infile.bmp must exist already, and outfile.bmp");
    HelpLine("********will be created, if you want to run this program.");
    HelpLine(kVariant.overwriteLine);
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartConverter(argc, argv, inputName, outputName)) {
        PrintHelp();
        EndProgram(0);
    }

    BindFile(sourceFile, CopyText(kPaletteFileName));
    OpenExisting(sourceFile, 1);
    if (FetchIoResult() != 0) {
        WriteLine();
        WriteLine("    *********************pls be sure talmiro.dat");
        WriteLine("    *********************is in same folder.");
        WriteLine("    *********************this contains 'palette'.");
        EndProgram(0);
    }
    LoadFile(outputImage);  // its header block is the output's

    BindFile(sourceFile, inputName);
    OpenExisting(sourceFile, 1);
    if (FetchIoResult() != 0) {
        WriteLine();
        WriteLine("    *********************Pls check the input filename.");
        EndProgram(0);
    }
    std::int32_t totalRead = LoadFile(inputImage);

    MapPixels<kVariant.mapping>(std::span(inputImage).subspan<kVariant.pixelDataOffset, kInputPixelBytes>(),
                                std::span(outputImage).subspan<kOutputPixelOffset, kPixelCount>());

    // An output that names the input itself is written beside it and takes
    // its place only when complete, so a failed write leaves the input as it was.
    CreateOutput(outputFile, outputName, sourceFile, 1);
    CheckIo();
    StoreInBlocks(outputFile, std::span(outputImage).first<kOutputBytes>());
    CheckIo();
    // A failed close is reported: after it the output may be incomplete,
    // or, when it was to replace the input, not there at all.
    FinishOutput(outputFile);
    CheckIo();

    // Made after the output is written: a wrong-size input still gives a
    // complete image, followed by this message.
    if (totalRead != kVariant.expectedInputSize) WriteLine("..............pls chk files and filenames");
    EndProgram(0);
}
