// TALMIROX3, TALMIRO3 and TALMIROX: turn a 500x500 24-bit BMP into a 500x500
// 8-bit greentone BMP whose header and palette come from talmiro.dat in the
// current folder. One driver, built once per row of the variant table
// (variants.h); a run that goes well prints nothing, so the tools suit batch
// conversion.
#include <span>

#include "converter.h"
#include "core.h"
#include "formats.h"
#include "loading.h"
#include "mapping.h"
#include "variants.h"

#ifndef VARIANT_ROW
#error "VARIANT_ROW must select a row of the variant table"
#endif

namespace {

constexpr Variant kVariant = kVariants[VARIANT_ROW];
// The pixels run to the end of an input of the expected size, and such an
// input loads with room to spare.
static_assert(kVariant.pixelDataOffset + kInputPixelBytes == kVariant.expectedInputSize);
static_assert(kVariant.expectedInputSize + 2 * kImageBlockBytes <= kImageBufferBytes);

// The palette file is looked for by its bare name, so in the current folder.
constexpr std::string_view kPaletteFileName = "talmiro.dat";

std::uint8_t inputImage[kImageBufferBytes];
std::uint8_t outputImage[kImageBufferBytes];  // the palette file, then the indexes after its header block

ShortText inputName;
ShortText outputName;
BlockFile sourceFile;  // the palette file first, then the input
BlockFile outputFile;

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
    LoadFile(sourceFile, outputImage);  // its header block is the output's

    BindFile(sourceFile, inputName);
    OpenExisting(sourceFile, 1);
    if (FetchIoResult() != 0) {
        WriteLine();
        WriteLine("    *********************Pls check the input filename.");
        EndProgram(0);
    }
    std::int32_t totalRead = LoadFile(sourceFile, inputImage);

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
