// The core of the shared layer: arguments, short texts, the three standard
// text streams, block files, the pending I/O error with the run-time error
// report, program end, ticks and random numbers.
//
// Every tool is a straight main procedure over these plain operations:
//
//     StartProgram(argc, argv);
//     WriteText("Hello"); EndLine(); CheckIo();
//     ...
//     EndProgram(0);
//
// A failing operation stores an error number in the pending I/O error; while
// one is pending every stream and file operation does nothing. CheckIo ends
// the tool through the run-time error report when a number is pending;
// FetchIoResult hands the number to the tool instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/platform.h"

// --- short texts -------------------------------------------------------------

// The most bytes any text of the suite holds: arguments, names, replies.
inline constexpr std::size_t kShortTextBytes = 255;

// A byte string of 0 to 255 bytes. Storing more keeps the first 255 and marks
// the text as cut: a cut name could reach another file, so it names none.
struct ShortText {
    std::uint8_t length = 0;
    bool cut = false;
    char bytes[kShortTextBytes];

    std::string_view View() const { return {bytes, length}; }
    bool Empty() const { return length == 0; }
};

ShortText CopyText(std::string_view text);
ShortText JoinTexts(std::initializer_list<std::string_view> parts);
ShortText LowerLetters(const ShortText& text);
bool TextEquals(const ShortText& a, std::string_view b);
ShortText DecimalText(std::int64_t value);
ShortText Blanks(int count);

// --- arguments -------------------------------------------------------------

// Argument n (1 = first after the program name; 0 = the program file's path),
// cut to 255 bytes (and then marked cut); the empty text when there is no
// such argument. The tools read arguments 0 to 4 only.
ShortText ArgumentText(int n);
// Takes the arguments from the system, splitting the whole command line
// where the system hands over only that (done once, by StartProgram).
void TakeArguments();

// How a whole command line splits into arguments: outside double quotes,
// bytes 1 to 32 separate them; "" inside an argument stands for nothing; any
// other double quote turns quoting on or off, and quoting still on at the end
// of the line takes the rest of the line into the last argument.
// Collects argument n of `line` (0 = the program name as typed) into `out`,
// cut to 255 bytes; gives false when the line has no argument n.
bool CommandLineArgument(std::string_view line, int n, ShortText* out);

// --- text streams ----------------------------------------------------------

// Output is handed on when the buffer is full and at the end of every
// statement; 256 bytes is the buffer size every stream has.
inline constexpr std::size_t kStreamBufferBytes = 256;

enum class StreamState : std::uint8_t { Closed, Input, Output };

struct TextStream {
    StreamState state = StreamState::Closed;
    platform::StandardStream which = platform::StandardStream::Input;
    std::uint16_t used = 0;  // bytes in the buffer
    std::uint16_t next = 0;  // input: the next byte to read
    char buffer[kStreamBufferBytes];
};

extern TextStream StandardInput;
extern TextStream StandardOutput;
extern TextStream StandardError;

// Opens the three streams on the system's standard handles with empty
// buffers (done by StartProgram; tests use it to start afresh).
void OpenStandardStreams();

void WriteText(TextStream& stream, std::string_view text);
void WriteInteger(TextStream& stream, std::int64_t value);
void WriteChar(TextStream& stream, char c);
void EndLine(TextStream& stream);   // CR LF, then hand the buffer on
void EndWrite(TextStream& stream);  // hand the buffer on, no line end

// Standard output unless a stream is named.
inline void WriteText(std::string_view text) { WriteText(StandardOutput, text); }
inline void WriteInteger(std::int64_t value) { WriteInteger(StandardOutput, value); }
inline void WriteChar(char c) { WriteChar(StandardOutput, c); }
inline void EndLine() { EndLine(StandardOutput); }
inline void EndWrite() { EndWrite(StandardOutput); }

// The bytes up to the first CR, LF or SUB (at most 255); the end stays unread.
ShortText ReadText(TextStream& stream = StandardInput);
// Discards input up to and including the next line end (CR, LF or CR LF).
void SkipLine(TextStream& stream = StandardInput);

// --- block files -----------------------------------------------------------

// An open file is always open for reading and writing.
enum class FileState : std::uint8_t { Unbound, Closed, Open };

struct BlockFile {
    ShortText name;
    FileState state = FileState::Unbound;
    std::int32_t recordSize = 1;
    platform::FileHandle handle = platform::kNoFile;
    bool systemCopies = true;   // false once the system stopped copying from or to it before the end
    platform::FileFacts facts;  // of the file its last opening reached; kept after the close
};

// Looks at what an opening reached before anything of it is cut or read;
// false refuses it: the file is closed as it was (removed when the opening
// made it) and the opening fails with 5.
using FileCheck = bool (*)(const BlockFile& opened);

// A file is opened for reading and writing while other runs may only read it:
// an opening that would write a file another run reads or writes, or read one
// that another run writes, fails with 5, and so does a pipe or socket. A name
// that was cut to 255 bytes fails with 3: it could reach another file.
void BindFile(BlockFile& file, const ShortText& name);
void OpenExisting(BlockFile& file, std::int32_t recordSize, FileCheck mayRead = nullptr);
// The file is created, or emptied once mayEmpty (if any) let it be.
void CreateEmpty(BlockFile& file, std::int32_t recordSize, FileCheck mayEmpty = nullptr);
void ReadBlock(BlockFile& file, void* buffer, std::uint16_t count, std::uint16_t& done);
void WriteBlock(BlockFile& file, const void* buffer, std::uint16_t count, std::uint16_t& done);
// Copies count records of `from` to `to`, as ReadBlock and then WriteBlock of
// what it read would, with their numbers when either side fails; done counts
// the records that reached `to`. Between files of one-byte records the system
// moves the bytes by itself where it can; the rest goes through `buffer`
// (room for count records) by reading and writing.
void CopyBlock(BlockFile& from, BlockFile& to, void* buffer, std::uint16_t count, std::uint16_t& done);
std::int64_t RecordCount(BlockFile& file);
void CloseFile(BlockFile& file);

// --- outputs that may replace their own input ---------------------------------

// Creates the output file `name` for a tool that has read `input`. When the
// name reaches the file that was read, the output is written to a temporary
// file in the same folder instead, and the input stays as it was until
// FinishOutput puts the complete new file in its place. An end through the
// run-time error report before that removes the temporary file.
void CreateOutput(BlockFile& file, const ShortText& name, const BlockFile& input, std::int32_t recordSize);
// Closes the output. A temporary file is flushed to the medium and then
// takes the named file's place, only while that is still the file that was
// read and no other run holds it (else 5, with nothing replaced): by a rename,
// or, where a new file could not keep the old one's owner and group, hard
// links or extended attributes, by copying its contents over the old file.
// A failure during that copy leaves the complete new image in the temporary
// file.
void FinishOutput(BlockFile& file);
// Removes an unfinished temporary output (the report does this by itself).
void DiscardTemporaryOutput();

// --- I/O errors and program end ---------------------------------------------

// Ends the tool through the run-time error report when an error is pending.
// Its location in the report is the place it was called from.
void CheckIo();
// Gives the pending error and clears it.
std::uint16_t FetchIoResult();
// Records a failure the tool detected itself, exactly as a failing
// operation would (ignored while another error is pending).
void RaiseIoError(std::uint16_t number);
// The error currently pending, without taking it.
std::uint16_t PendingIoError();

// --- dialogue statements -------------------------------------------------------

// Each of these is one checked statement of a tool's dialogue on the
// standard streams, inlined into the tool, so that a failed check names the
// tool's own statement in the run-time error report.

inline void WritePiece(std::string_view text) { WriteText(StandardOutput, text); }
inline void WritePiece(const ShortText& text) { WriteText(StandardOutput, text.View()); }
inline void WritePiece(std::int64_t number) { WriteInteger(StandardOutput, number); }

// A line of texts and whole numbers, then CR LF: WriteLine("Part ", n, " of ", name).
template <typename... Pieces>
PLATFORM_INLINE_INTO_CALLER void WriteLine(const Pieces&... pieces) {
    (WritePiece(pieces), ...);
    EndLine(StandardOutput);
    CheckIo();
}

// Texts and numbers handed on at once, the line left open: a question that
// the reply follows, or progress that goes on in the same line.
template <typename... Pieces>
PLATFORM_INLINE_INTO_CALLER void WriteOpenLine(const Pieces&... pieces) {
    (WritePiece(pieces), ...);
    EndWrite(StandardOutput);
    CheckIo();
}

// A line of standard input, its letters in lower case.
PLATFORM_INLINE_INTO_CALLER ShortText ReadReply() {
    ShortText reply = ReadText(StandardInput);
    CheckIo();
    SkipLine(StandardInput);
    CheckIo();
    return LowerLetters(reply);
}

// Waits for a line of standard input (its bytes are of no use).
PLATFORM_INLINE_INTO_CALLER void AwaitEnter() {
    SkipLine(StandardInput);
    CheckIo();
}

void StartProgram(int argc, char** argv);
[[noreturn]] void EndProgram(int code);

// --- ticks and random numbers -------------------------------------------------

std::uint32_t MillisecondTicks();
void SeedRandom();
std::uint32_t RandomBelow(std::uint32_t n);
