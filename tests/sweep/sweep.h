// A sweep over every system call a tool's path makes: the path runs once to
// count its calls of each kind, then once for every kind and every k with the
// k-th call failing (and, for reads, writes and copies, once more moving fewer bytes).
// Each run must end with the report of the injected error's number, or well
// where the tool absorbs the failure, and leave the files whole: no input
// changed, an in-place file either the original or the complete result, no
// temporary file, no output that is not a beginning of the right one.
//
// A family's sweep program is its tool's source built with main renamed to
// ToolMain, and this harness: started with the plan in its environment, it
// arms the fault and runs the tool in its own process.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/system_calls/fault_injection.h"

int ToolMain(int argc, char** argv);

namespace sweep {

struct Path {
    std::vector<std::string> arguments;                         // after the program name
    std::string keys;                                           // standard input
    std::function<void(const std::filesystem::path&)> prepare;  // writes the inputs into an empty folder
    bool mayEndEarlyWell = false;  // a failed opening may end the run early but well (a joiner's missing part)
};

// One fault for a tool process: from its nth call of the kind on, `times`
// calls fail with the system error, or move at most takeAtMost bytes; or,
// with a signal, that signal comes just before the nth call.
struct Fault {
    platform::fault::Call kind = platform::fault::Call::Open;
    unsigned nth = 1;
    int error = 0;
    std::size_t takeAtMost = 0;
    unsigned times = 1;
    int signal = 0;
};

// The value of SUITE_SWEEP_PLAN that makes a sweep program the tool, with
// these faults armed and its calls recorded in log.
std::string Plan(const std::filesystem::path& log, const std::vector<Fault>& faults);

// Runs the whole sweep of one path, with GoogleTest expectations.
void Run(const Path& path);
// Sweeps a converter's two paths: from `input` into another file, and in place.
void RunConverter(const std::string& input, const std::function<void(const std::filesystem::path&)>& prepare);

// The system's own error code that the layer numbers 150 (write-protected):
// a number no tool gives for any other reason.
int WriteProtectedError();
// The signal that ends a process from outside, sent at every moment of the
// sweep; 0 where the system has none (Windows: its console events are
// tested apart).
int EndingSignal();
void SetEnvironment(const char* name, const char* value);
// Takes away what a run may leave in the system outside its folder, so that
// every run starts alike.
void SettleSystem();

}  // namespace sweep
