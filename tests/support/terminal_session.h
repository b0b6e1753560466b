// Runs a command on a real terminal for end-to-end tests: a detached tmux
// pane of a fixed size (80x25 unless asked otherwise) on a server of its own,
// keys sent to it, the screen read back as text. The command runs under a
// shell that outlives Ctrl+C and Ctrl+\ and notes the command's exit status
// and where it left the cursor.
//
//     SUITE_REQUIRE(test_support::TmuxAvailable(), "tmux is not installed");
//     test_support::TerminalSession terminal(test_support::ToolCommand("TOLVA", "out part 1"), folder.Path());
//     ASSERT_TRUE(terminal.WaitForText("type y: "));
//     terminal.Type("y");
//     terminal.Press("Enter");
//     ASSERT_TRUE(terminal.WaitForEnd());
//     EXPECT_EQ(terminal.ExitStatus(), 0);
//     EXPECT_TRUE(test_support::ShowsExactly(terminal, {"first row", "second row"}));
//
// Every wait polls the screen until its text is there or a timeout passes;
// nothing relies on fixed sleeps. The server is killed when the session goes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "not_copyable.h"

namespace test_support {

// True when tmux can be run here (tests skip with SUITE_REQUIRE otherwise, or fail in CI).
bool TmuxAvailable();

// A line for the shell that runs a built tool with the given arguments, as
// they would be typed after its name.
std::string ToolCommand(const std::string& tool, const std::string& arguments);

class TerminalSession : NotCopyable {
public:
    // Starts `command`, a line for /bin/sh, in `folder` (empty: the current
    // one). The line must not end the shell itself (no `exit`; `(exit n)` is
    // fine), so that its status can be noted.
    explicit TerminalSession(const std::string& command, const std::filesystem::path& folder = {}, int columns = 80,
                             int rows = 25);
    ~TerminalSession();

    bool Started() const { return started_; }

    // The bytes of text, typed as they stand.
    void Type(const std::string& text);
    // One key by its tmux name: Enter, Escape, BSpace, Left, Home, F1, C-c ...
    void Press(const std::string& keyName);
    // Several, one after the other.
    void Press(std::initializer_list<std::string> keyNames);

    // The visible rows, exactly `rows` of them, without trailing blanks; after
    // the end, the screen as the command left it.
    std::vector<std::string> Screen() const;
    // The rows joined with line feeds, for messages and searches.
    std::string ScreenText() const;
    // The cursor's column and row, 0-based; after the end, where the command
    // left it.
    int CursorColumn() const;
    int CursorRow() const;

    // Waits until text shows anywhere on the screen (rows joined with line
    // feeds, with or without their trailing blanks, so that a prompt ending
    // in a blank is found too); false after the timeout.
    bool WaitForText(const std::string& text, int timeoutMs = 10000) const;
    // Waits until the command has ended.
    bool WaitForEnd(int timeoutMs = 10000) const;
    // After the end: the exit status as the shell sees it (128 + n when
    // signal n ended the command), or -1 when it is not known.
    int ExitStatus() const;
    // The process that runs the command (the shell), and the pane's terminal device.
    int CommandProcess() const;
    // The command's own process: the only child of that shell (-1 when there is none).
    int ToolProcess() const;
    // The terminal's settings as `stty -a` shows them, read from outside.
    std::string Settings() const;
    std::string TerminalDevice() const;

private:
    // Runs tmux on this session's server; gives its standard output.
    std::string Tmux(const std::vector<std::string>& arguments, int* exitCode = nullptr) const;
    std::string Format(const std::string& format) const;
    std::vector<std::string> Rows(bool keepBlanks) const;
    // What the shell noted after the command: its exit status, then the
    // cursor's column and row; each -1 before the end.
    std::vector<int> Ending() const;

    std::string socket_;
    std::filesystem::path statusFile_;
    int rows_;
    bool started_ = false;
};

struct Cursor {
    int column;
    int row;
};

// The screen holds exactly `rows` from the top and is blank below them, and
// the cursor stands at `cursor`: by default at the start of the row after
// them, where text that ends with a line end leaves it.
testing::AssertionResult ShowsExactly(const TerminalSession& terminal, const std::vector<std::string>& rows,
                                      std::optional<Cursor> cursor = std::nullopt);

}  // namespace test_support
