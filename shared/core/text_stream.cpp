// The three standard text streams: 256-byte buffers, CR LF line ends, output
// handed on at the end of every statement.
#include <cstring>

#include "../core.h"
#include "../platform/ascii.h"
#include "console_flavour.h"

TextStream StandardInput;
TextStream StandardOutput;
TextStream StandardError;

namespace {

using ascii::kCarriageReturn;
using ascii::kLineFeed;
constexpr std::uint8_t kEndOfText = ascii::kCtrlZ;

// Gives true when the stream may take output; records the error otherwise.
bool ReadyForOutput(const TextStream& stream) {
    if (PendingIoError() != 0) return false;
    if (stream.state == StreamState::Output) return true;
    RaiseIoError(stream.state == StreamState::Closed ? platform::errors::kFileNotOpen
                                                     : platform::errors::kFileNotOpenForOutput);
    return false;
}

bool ReadyForInput(const TextStream& stream) {
    if (PendingIoError() != 0) return false;
    if (stream.state == StreamState::Input) return true;
    RaiseIoError(stream.state == StreamState::Closed ? platform::errors::kFileNotOpen
                                                     : platform::errors::kFileNotOpenForInput);
    return false;
}

void FlushBuffer(TextStream& stream) {
    if (stream.used == 0) return;
    std::uint16_t error = 0;
    if (stream.which == platform::StandardStream::Output) {
        error = ConsoleWrite(stream.buffer, stream.used);
    } else {
        std::size_t done = 0;
        if (platform::WriteAll(platform::StandardHandle(stream.which), stream.buffer, stream.used, &done) != 0 ||
            done != stream.used) {
            error = platform::errors::kDiskFull;
        }
    }
    stream.used = 0;
    RaiseIoError(error);
}

void Append(TextStream& stream, const char* bytes, std::size_t count) {
    while (count > 0 && PendingIoError() == 0) {
        std::size_t room = kStreamBufferBytes - stream.used;
        std::size_t take = count < room ? count : room;
        std::memcpy(stream.buffer + stream.used, bytes, take);
        stream.used = static_cast<std::uint16_t>(stream.used + take);
        bytes += take;
        count -= take;
        if (stream.used == kStreamBufferBytes) FlushBuffer(stream);
    }
}

// Makes a byte available; false at the end of the input or on a failure.
bool Available(TextStream& stream) {
    if (stream.next < stream.used) return true;
    std::size_t got = 0;
    std::uint16_t error = ConsoleRefill(stream.buffer, kStreamBufferBytes, &got);
    stream.used = static_cast<std::uint16_t>(got);
    stream.next = 0;
    if (error != 0) {
        RaiseIoError(error);
        stream.used = 0;
        return false;
    }
    return got > 0;
}

}  // namespace

void OpenStandardStreams() {
    auto open = [](TextStream& stream, platform::StandardStream which, StreamState state) {
        stream = TextStream{};
        stream.which = which;
        stream.state = state;
    };
    open(StandardInput, platform::StandardStream::Input, StreamState::Input);
    open(StandardOutput, platform::StandardStream::Output, StreamState::Output);
    open(StandardError, platform::StandardStream::Error, StreamState::Output);
}

void WriteText(TextStream& stream, std::string_view text) {
    if (ReadyForOutput(stream)) Append(stream, text.data(), text.size());
}

void WriteInteger(TextStream& stream, std::int64_t value) { WriteText(stream, DecimalText(value).View()); }

void WriteChar(TextStream& stream, char c) {
    if (ReadyForOutput(stream)) Append(stream, &c, 1);
}

void EndLine(TextStream& stream) {
    if (!ReadyForOutput(stream)) return;
    static const char kLineEnd[2] = {kCarriageReturn, kLineFeed};
    Append(stream, kLineEnd, 2);
    if (PendingIoError() == 0) FlushBuffer(stream);
}

void EndWrite(TextStream& stream) {
    if (ReadyForOutput(stream)) FlushBuffer(stream);
}

ShortText ReadText(TextStream& stream) {
    ShortText text;
    if (!ReadyForInput(stream)) return text;
    while (text.length < kShortTextBytes && Available(stream)) {
        char c = stream.buffer[stream.next];
        if (c == kCarriageReturn || c == kLineFeed || c == kEndOfText) break;
        text.bytes[text.length++] = c;
        ++stream.next;
    }
    return text;
}

void SkipLine(TextStream& stream) {
    if (!ReadyForInput(stream)) return;
    while (Available(stream)) {
        char c = stream.buffer[stream.next];
        if (c == kEndOfText) return;
        ++stream.next;
        if (c == kLineFeed) return;
        if (c == kCarriageReturn) {
            if (Available(stream) && stream.buffer[stream.next] == kLineFeed) ++stream.next;
            return;
        }
    }
}
