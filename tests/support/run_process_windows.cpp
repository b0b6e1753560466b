// RunProcess and the scratch folders on Windows: the tool is started with
// CreateProcess on a command line built from the arguments, its standard
// handles are pipes (or a file, or the null device), and threads keep the
// pipes moving until the tool has ended.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "run_process.h"

#ifndef SUITE_TOOL_DIR
#error "SUITE_TOOL_DIR must name the folder of the built tools"
#endif

namespace test_support {
namespace {

// The program suffix of the built tools.
constexpr char kProgramSuffix[] = ".EXE";

// An argument as the tools' command-line splitting takes it back: in double
// quotes when it is empty or holds a blank or a control byte. There is no
// way to pass a double quote itself.
std::string Quoted(const std::string& argument) {
    if (argument.find('"') != std::string::npos) throw std::invalid_argument("no double quote can be passed");
    bool plain = !argument.empty();
    for (char c : argument) plain = plain && !(c >= 1 && c <= 32);
    if (plain) return argument;
    std::string quoted(1, '"');
    quoted.append(argument).push_back('"');
    return quoted;
}

// An inheritable handle for the child, and the parent's own end.
struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

Pipe MakePipe(bool childReads) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Pipe pipe;
    if (!CreatePipe(&pipe.read, &pipe.write, &inheritable, 0)) throw std::runtime_error("CreatePipe");
    SetHandleInformation(childReads ? pipe.write : pipe.read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

void Drain(HANDLE from, std::string* into) {
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0) into->append(buffer, got);
    CloseHandle(from);
}

void Feed(HANDLE to, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        DWORD took = 0;
        if (!WriteFile(to, bytes.data() + written, static_cast<DWORD>(bytes.size() - written), &took, nullptr)) break;
        written += took;
    }
    CloseHandle(to);
}

HANDLE OpenForChild(const std::filesystem::path& file, bool forWriting) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE handle =
        CreateFileW(file.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + file.string());
    return handle;
}

// The command line as the system keeps it, in UTF-16.
std::wstring Widened(const std::string& bytes, UINT codePage) {
    std::wstring wide(bytes.size() + 1, L'\0');
    int units = MultiByteToWideChar(codePage, 0, bytes.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (units == 0) throw std::runtime_error("the command line does not convert: " + bytes);
    wide.resize(static_cast<std::size_t>(units));
    return wide;
}

}  // namespace

std::filesystem::path ToolPath(const std::string& tool) {
    std::filesystem::path name(tool);
    if (!name.has_extension()) name += kProgramSuffix;
    return std::filesystem::path(SUITE_TOOL_DIR) / name;
}

// How often a refused process start is tried, and the pause between tries.
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryMs = 200;

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
    if (options.fileSizeLimit >= 0) throw std::invalid_argument("Windows has no limit on file sizes");
    std::string commandLine = Quoted(program.string());
    for (const std::string& argument : arguments) commandLine.append(1, ' ').append(Quoted(argument));

    Pipe input{}, output{}, errors = MakePipe(false);
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (options.inputFromNullDevice) {
        childInput = OpenForChild("NUL", false);
    } else {
        input = MakePipe(true);
        childInput = input.read;
    }
    if (!options.outputFile.empty()) {
        childOutput = OpenForChild(options.outputFile, true);
    } else {
        output = MakePipe(false);
        childOutput = output.write;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = errors.write;
    PROCESS_INFORMATION process{};
    std::wstring folder = options.folder.wstring();
    std::wstring wideLine = Widened(commandLine, options.utf8Arguments ? CP_UTF8 : CP_ACP);
    // No console of its own: the tools' standard handles are these pipes.
    // Wine now and then refuses to start a process on a loaded machine
    // (internal error 1359) and starts it on the next try: a test fails only
    // when the start fails again and again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < kStartAttempts && !started; ++attempt) {
        if (attempt > 0) Sleep(kStartRetryMs);
        started = CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    }
    CloseHandle(childInput);
    CloseHandle(childOutput);
    CloseHandle(errors.write);
    if (!started) {
        DWORD error = GetLastError();
        if (input.write != nullptr) CloseHandle(input.write);
        if (output.read != nullptr) CloseHandle(output.read);
        CloseHandle(errors.read);
        throw std::runtime_error("CreateProcess: " + commandLine + ": error " + std::to_string(error));
    }

    ProcessResult result;
    // A child still running at the deadline is ended, so that a hang fails
    // the test instead of holding it.
    std::thread watchdog([&] {
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(options.deadlineSeconds) * 1000) == WAIT_TIMEOUT) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 1);
        }
    });
    std::thread feeder, outputReader;
    if (input.write != nullptr) feeder = std::thread(Feed, input.write, std::cref(options.input));
    if (output.read != nullptr) outputReader = std::thread(Drain, output.read, &result.output);
    Drain(errors.read, &result.errors);
    if (outputReader.joinable()) outputReader.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    watchdog.join();
    // A tool that ends without reading all of its input breaks the pipe,
    // which ends the feeder.
    if (feeder.joinable()) feeder.join();
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = result.timedOut ? -1 : static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace test_support
