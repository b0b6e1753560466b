// The standard streams' descriptors 0 and 1 replaced by pipes.
#include <unistd.h>

#include "core.h"
#include "stdio_capture.h"

StandardInputFrom::StandardInputFrom(const std::string& bytes) {
    saved_ = dup(0);
    int ends[2];
    if (pipe(ends) != 0) return;
    // Tests keep their input well under a pipe's capacity.
    ssize_t written = write(ends[1], bytes.data(), bytes.size());
    (void)written;
    close(ends[1]);
    dup2(ends[0], 0);
    close(ends[0]);
    OpenStandardStreams();  // the core's streams, fresh, on the new handles
}

StandardInputFrom::~StandardInputFrom() {
    dup2(static_cast<int>(saved_), 0);
    close(static_cast<int>(saved_));
}

StandardOutputCapture::StandardOutputCapture() {
    saved_ = dup(1);
    int ends[2];
    if (pipe(ends) != 0) return;
    reader_ = ends[0];
    dup2(ends[1], 1);
    close(ends[1]);
    OpenStandardStreams();
}

StandardOutputCapture::~StandardOutputCapture() {
    Restore();
    close(static_cast<int>(reader_));
}

std::string StandardOutputCapture::Taken() {
    Restore();
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(static_cast<int>(reader_), buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

void StandardOutputCapture::Restore() {
    if (saved_ < 0) return;
    dup2(static_cast<int>(saved_), 1);
    close(static_cast<int>(saved_));
    saved_ = -1;
}
