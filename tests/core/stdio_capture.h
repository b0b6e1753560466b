// Puts a pipe in the place of standard input or output for in-process
// tests of the text streams, and restores the real one afterwards.
#pragma once

#include <unistd.h>

#include <string>

#include "core.h"

class StandardInputFrom {
public:
    explicit StandardInputFrom(const std::string& bytes) {
        saved_ = dup(0);
        int ends[2];
        if (pipe(ends) != 0) return;
        // Tests keep their input well under a pipe's capacity.
        ssize_t written = write(ends[1], bytes.data(), bytes.size());
        (void)written;
        close(ends[1]);
        dup2(ends[0], 0);
        close(ends[0]);
        StandardInput = TextStream{};
        StandardInput.state = StreamState::Input;
        StandardInput.which = platform::StandardStream::Input;
    }
    ~StandardInputFrom() {
        dup2(saved_, 0);
        close(saved_);
    }

private:
    int saved_;
};

class StandardOutputCapture {
public:
    StandardOutputCapture() {
        saved_ = dup(1);
        int ends[2];
        if (pipe(ends) != 0) return;
        reader_ = ends[0];
        dup2(ends[1], 1);
        close(ends[1]);
        StandardOutput = TextStream{};
        StandardOutput.state = StreamState::Output;
        StandardOutput.which = platform::StandardStream::Output;
    }
    ~StandardOutputCapture() {
        Restore();
        close(reader_);
    }
    // Everything written so far; the real standard output is back afterwards.
    std::string Taken() {
        Restore();
        std::string bytes;
        char buffer[4096];
        ssize_t got;
        while ((got = read(reader_, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(got));
        return bytes;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        dup2(saved_, 1);
        close(saved_);
        saved_ = -1;
    }
    int saved_ = -1;
    int reader_ = -1;
};
