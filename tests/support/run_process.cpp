#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <stdexcept>

#ifndef SUITE_TOOL_DIR
#error "SUITE_TOOL_DIR must name the folder of the built tools"
#endif

namespace test_support {

std::filesystem::path ToolPath(const std::string& tool) { return std::filesystem::path(SUITE_TOOL_DIR) / tool; }

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
    int toChild[2], fromOut[2], fromErr[2];
    if (pipe(toChild) != 0 || pipe(fromOut) != 0 || pipe(fromErr) != 0) throw std::runtime_error("pipe");
    pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork");
    if (child == 0) {
        if (options.inputFromNullDevice) {
            int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
        } else {
            dup2(toChild[0], 0);
        }
        if (!options.outputFile.empty()) {
            int out = open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
        } else {
            dup2(fromOut[1], 1);
        }
        dup2(fromErr[1], 2);
        for (int fd : {toChild[0], toChild[1], fromOut[0], fromOut[1], fromErr[0], fromErr[1]}) close(fd);
        if (options.closedDescriptor >= 0) close(options.closedDescriptor);
        if (!options.folder.empty() && chdir(options.folder.c_str()) != 0) _exit(126);
        if (options.fileSizeLimit >= 0) {
            struct rlimit limit {
                static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)
            };
            setrlimit(RLIMIT_FSIZE, &limit);
            // The signal of a write past the limit as the system sends it:
            // the tool must turn it into its own report.
            signal(SIGXFSZ, SIG_DFL);
        }
        std::vector<char*> argv;
        std::string name = program.string();
        argv.push_back(name.data());
        std::vector<std::string> copies = arguments;
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp(name.c_str(), argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromOut[1]);
    close(fromErr[1]);

    ProcessResult result;
    std::size_t written = 0;
    int inputFd = toChild[1];
    if (options.input.empty()) {
        close(inputFd);
        inputFd = -1;
    }
    int outFd = fromOut[0], errFd = fromErr[0];
    signal(SIGPIPE, SIG_IGN);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.deadlineSeconds);
    auto millisecondsLeft = [&] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    };
    auto killAtDeadline = [&] {
        if (millisecondsLeft() > 0 || result.timedOut) return;
        kill(child, SIGKILL);
        result.timedOut = true;
    };
    while (outFd >= 0 || errFd >= 0) {
        killAtDeadline();
        struct pollfd fds[3];
        int count = 0;
        if (outFd >= 0) fds[count++] = {outFd, POLLIN, 0};
        if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
        if (inputFd >= 0) fds[count++] = {inputFd, POLLOUT, 0};
        if (poll(fds, count, result.timedOut ? -1 : millisecondsLeft()) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == inputFd) {
                ssize_t took = write(inputFd, options.input.data() + written, options.input.size() - written);
                if (took > 0) written += static_cast<std::size_t>(took);
                if (took < 0 || written == options.input.size()) {
                    close(inputFd);
                    inputFd = -1;
                }
                continue;
            }
            char buffer[65536];
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            std::string& sink = fds[i].fd == outFd ? result.output : result.errors;
            if (got > 0) {
                sink.append(buffer, static_cast<std::size_t>(got));
            } else {
                close(fds[i].fd);
                (fds[i].fd == outFd ? outFd : errFd) = -1;
            }
        }
    }
    if (inputFd >= 0) close(inputFd);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        killAtDeadline();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.endSignal = WTERMSIG(status);
    return result;
}

}  // namespace test_support
