#include "terminal_session.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "run_process.h"

namespace test_support {
namespace {

// How often a wait looks at the pane again.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

std::string UniqueSocket() {
    static std::atomic<int> counter{0};
    std::ostringstream name;
    name << "suite-test-" << getpid() << "-" << counter++ << "-"
         << std::chrono::steady_clock::now().time_since_epoch().count() % 1000000;
    return name.str();
}

template <typename Check>
bool WaitUntil(int timeoutMs, Check check) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (check()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

// The number a format gave, or `otherwise` when it gave none.
int Number(const std::string& text, int otherwise) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return otherwise;
    return std::stoi(text);
}

}  // namespace

bool TmuxAvailable() {
    ProcessOptions options;
    options.inputFromNullDevice = true;
    return RunProcess("tmux", {"-V"}, options).exitCode == 0;
}

TerminalSession::TerminalSession(const std::string& command, const std::filesystem::path& folder, int columns, int rows)
    : socket_(UniqueSocket()), rows_(rows) {
    std::string where = folder.empty() ? std::filesystem::current_path().string() : folder.string();
    statusFile_ = std::filesystem::temp_directory_path() / (socket_ + ".status");
    // tmux learns too late, now and then, how a pane's command ended, and
    // moves the cursor for its closing notice; the shell that runs the
    // command notes both before it ends.
    std::string line = "trap : INT QUIT\n" + command + "\necho $? $(tmux display-message -p -t \"$TMUX_PANE\" " +
                       "'#{cursor_x} #{cursor_y}') > '" + statusFile_.string() + "'";
    // The options come before the session, so that the command starts on a
    // pane of the full size (no status line) that stays after it ends.
    int code = -1;
    Tmux({"start-server",
          ";",
          "set-option",
          "-g",
          "status",
          "off",
          ";",
          "set-option",
          "-g",
          "remain-on-exit",
          "on",
          ";",
          "set-option",
          "-g",
          "default-shell",
          "/bin/sh",
          ";",
          "new-session",
          "-d",
          "-s",
          "test",
          "-x",
          std::to_string(columns),
          "-y",
          std::to_string(rows),
          "-c",
          where,
          line},
         &code);
    started_ = code == 0;
}

TerminalSession::~TerminalSession() {
    Tmux({"kill-server"});
    std::error_code ignored;
    std::filesystem::remove(statusFile_, ignored);
}

std::string TerminalSession::Tmux(const std::vector<std::string>& arguments, int* exitCode) const {
    std::vector<std::string> line = {"-L", socket_, "-f", "/dev/null"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    ProcessOptions options;
    options.inputFromNullDevice = true;
    ProcessResult result = RunProcess("tmux", line, options);
    if (exitCode != nullptr) *exitCode = result.exitCode;
    return result.output;
}

std::string TerminalSession::Format(const std::string& format) const {
    std::string text = Tmux({"display-message", "-p", "-t", "test", format});
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

void TerminalSession::Type(const std::string& text) { Tmux({"send-keys", "-t", "test", "-l", text}); }

void TerminalSession::Press(const std::string& keyName) { Tmux({"send-keys", "-t", "test", keyName}); }

void TerminalSession::Press(std::initializer_list<std::string> keyNames) {
    for (const std::string& keyName : keyNames) Press(keyName);
}

std::vector<std::string> TerminalSession::Rows(bool keepBlanks) const {
    // One row of history too: when the command has ended, tmux writes its
    // "Pane is dead" notice below the last row, which scrolls the screen up
    // by one, and the command's last screen then starts one row back. The
    // notice itself, not the pane's state, tells whether that happened yet.
    std::istringstream text(Tmux({"capture-pane", "-p", "-N", "-t", "test", "-S", "-1"}));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(text, line)) lines.push_back(line);
    std::size_t end = lines.size();
    if (end > 0 && lines[end - 1].find("Pane is dead") != std::string::npos) --end;
    std::size_t begin = end > static_cast<std::size_t>(rows_) ? end - static_cast<std::size_t>(rows_) : 0;
    std::vector<std::string> rows(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                                  lines.begin() + static_cast<std::ptrdiff_t>(end));
    if (!keepBlanks) {
        for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    }
    rows.resize(static_cast<std::size_t>(rows_));
    return rows;
}

std::vector<std::string> TerminalSession::Screen() const { return Rows(false); }

std::string TerminalSession::ScreenText() const {
    std::string text;
    for (const std::string& row : Screen()) text += row + "\n";
    return text;
}

std::vector<int> TerminalSession::Ending() const {
    std::ifstream file(statusFile_);
    std::vector<int> numbers;
    std::string word;
    while (file >> word) numbers.push_back(Number(word, -1));
    numbers.resize(3, -1);
    return numbers;
}

int TerminalSession::CursorColumn() const {
    int ended = Ending()[1];
    return ended >= 0 ? ended : Number(Format("#{cursor_x}"), -1);
}

int TerminalSession::CursorRow() const {
    int ended = Ending()[2];
    return ended >= 0 ? ended : Number(Format("#{cursor_y}"), -1);
}

bool TerminalSession::WaitForText(const std::string& text, int timeoutMs) const {
    return WaitUntil(timeoutMs, [&] {
        std::string trimmed, kept;
        for (const std::string& row : Rows(true)) {
            kept += row + "\n";
            trimmed += row.substr(0, row.find_last_not_of(' ') + 1) + "\n";
        }
        return trimmed.find(text) != std::string::npos || kept.find(text) != std::string::npos;
    });
}

bool TerminalSession::WaitForEnd(int timeoutMs) const {
    return WaitUntil(timeoutMs, [&] { return Format("#{pane_dead}") == "1"; });
}

int TerminalSession::ExitStatus() const { return Ending()[0]; }

int TerminalSession::CommandProcess() const { return Number(Format("#{pane_pid}"), -1); }

std::string TerminalSession::TerminalDevice() const { return Format("#{pane_tty}"); }

int TerminalSession::ToolProcess() const {
    int shell = CommandProcess();
    std::ifstream children("/proc/" + std::to_string(shell) + "/task/" + std::to_string(shell) + "/children");
    int child = -1;
    children >> child;
    return child;
}

std::string TerminalSession::Settings() const {
    ProcessOptions options;
    options.inputFromNullDevice = true;
    return RunProcess("/bin/sh", {"-c", "stty -a < '" + TerminalDevice() + "'"}, options).output;
}

std::string ToolCommand(const std::string& tool, const std::string& arguments) {
    // Appended piece by piece: GCC 12 warns falsely of overlapping copies
    // where a literal starts a chain of +.
    std::string command = "'";
    command.append(ToolPath(tool).string()).append("' ").append(arguments);
    return command;
}

testing::AssertionResult ShowsExactly(const TerminalSession& terminal, const std::vector<std::string>& rows,
                                      std::optional<Cursor> cursor) {
    Cursor expected = cursor.value_or(Cursor{0, static_cast<int>(rows.size())});
    std::vector<std::string> screen = terminal.Screen();
    std::ostringstream differences;
    for (std::size_t row = 0; row < screen.size(); ++row) {
        std::string wanted = row < rows.size() ? rows[row] : "";
        if (screen[row] == wanted) continue;
        differences << "row " << row << " is \"" << screen[row] << "\", not \"" << wanted << "\"\n";
    }
    int column = terminal.CursorColumn(), row = terminal.CursorRow();
    if (column != expected.column || row != expected.row) {
        differences << "the cursor is at " << column << "," << row << ", not at " << expected.column << ","
                    << expected.row << "\n";
    }
    if (differences.str().empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << differences.str() << "--- screen ---\n" << terminal.ScreenText();
}

}  // namespace test_support
