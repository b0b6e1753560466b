// The standard input and output handles replaced by pipes (the layer asks
// GetStdHandle for them at every use).
#include <windows.h>

#include "core.h"
#include "stdio_capture.h"

namespace {

// More than any test writes, so that writing never waits for the reader.
constexpr DWORD kPipeBytes = 1 << 20;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

}  // namespace

StandardInputFrom::StandardInputFrom(const std::string& bytes) {
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, kPipeBytes)) return;
    DWORD written = 0;
    WriteFile(write, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(write);
    saved_ = FromHandle(GetStdHandle(STD_INPUT_HANDLE));
    reader_ = FromHandle(read);
    SetStdHandle(STD_INPUT_HANDLE, read);
    OpenStandardStreams();  // the core's streams, fresh, on the new handles
}

StandardInputFrom::~StandardInputFrom() {
    if (reader_ == -1) return;
    SetStdHandle(STD_INPUT_HANDLE, AsHandle(saved_));
    CloseHandle(AsHandle(reader_));
}

StandardOutputCapture::StandardOutputCapture() {
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, kPipeBytes)) return;
    saved_ = FromHandle(GetStdHandle(STD_OUTPUT_HANDLE));
    writer_ = FromHandle(write);
    reader_ = FromHandle(read);
    SetStdHandle(STD_OUTPUT_HANDLE, write);
    OpenStandardStreams();
}

StandardOutputCapture::~StandardOutputCapture() {
    Restore();
    if (reader_ != -1) CloseHandle(AsHandle(reader_));
}

std::string StandardOutputCapture::Taken() {
    Restore();
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (reader_ != -1 && ReadFile(AsHandle(reader_), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

void StandardOutputCapture::Restore() {
    if (writer_ == -1) return;
    SetStdHandle(STD_OUTPUT_HANDLE, AsHandle(saved_));
    CloseHandle(AsHandle(writer_));  // the reader then sees the end of the data
    writer_ = -1;
}
