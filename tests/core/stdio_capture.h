// Puts a pipe in the place of standard input or output for in-process
// tests of the text streams, and restores the real one afterwards. Each
// system has its own way (stdio_capture_posix.cpp, stdio_capture_windows.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "not_copyable.h"

class StandardInputFrom : test_support::NotCopyable {
public:
    explicit StandardInputFrom(const std::string& bytes);
    ~StandardInputFrom();

private:
    std::intptr_t saved_ = -1;   // the real standard input
    std::intptr_t reader_ = -1;  // the pipe's end that stands in for it, where it must be closed apart
};

class StandardOutputCapture : test_support::NotCopyable {
public:
    StandardOutputCapture();
    ~StandardOutputCapture();
    // Everything written so far; the real standard output is back afterwards.
    std::string Taken();

private:
    void Restore();
    std::intptr_t saved_ = -1;   // the real standard output, until restored
    std::intptr_t writer_ = -1;  // the pipe's end that stands in for it, where it must be closed apart
    std::intptr_t reader_ = -1;
};
