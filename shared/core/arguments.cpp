#include "../core.h"

namespace {

// The tools read their first four arguments; the command line is split once,
// at the start, into these.
constexpr int kKeptArguments = 5;
ShortText keptArguments[kKeptArguments];

bool Separates(unsigned char c) { return c >= 1 && c <= 32; }

// Collects the argument that starts at or after `at` into `out` (cut to 255
// bytes); gives where the line goes on after it, or npos when no argument
// is left.
std::size_t NextArgument(std::string_view line, std::size_t at, ShortText* out) {
    while (at < line.size() && Separates(static_cast<unsigned char>(line[at]))) ++at;
    if (at >= line.size()) return std::string_view::npos;

    char collected[kShortTextBytes];
    std::size_t length = 0;
    std::size_t total = 0;
    bool quoted = false;
    while (at < line.size()) {
        char c = line[at];
        if (!quoted && Separates(static_cast<unsigned char>(c))) break;
        if (c == '"') {
            if (at + 1 < line.size() && line[at + 1] == '"') {
                at += 2;  // a doubled quote vanishes and keeps the quoting state
            } else {
                quoted = !quoted;
                ++at;
            }
            continue;
        }
        if (length < kShortTextBytes) collected[length++] = c;
        ++total;
        ++at;
    }
    *out = CopyText({collected, length});
    out->cut = total > length;
    return at;
}

}  // namespace

bool CommandLineArgument(std::string_view line, int n, ShortText* out) {
    if (n < 0) return false;
    std::size_t at = 0;
    for (int index = 0; index <= n; ++index) {
        at = NextArgument(line, at, out);
        if (at == std::string_view::npos) return false;
    }
    return true;
}

void TakeArguments() {
    const char* bytes = nullptr;
    std::size_t length = 0;
    bool wholeLine = platform::CommandLine(&bytes, &length);
    std::string_view line = wholeLine ? std::string_view{bytes, length} : std::string_view{};
    std::size_t at = 0;
    for (int n = 0; n < kKeptArguments; ++n) {
        ShortText& argument = keptArguments[n];
        argument = ShortText{};
        if (wholeLine) {
            if (at != std::string_view::npos) at = NextArgument(line, at, &argument);
        } else if (platform::Argument(n, &bytes, &length)) {
            argument = CopyText({bytes, length});
        }
    }
    // The program's path, as the system knows it, whatever the line says.
    if (platform::Argument(0, &bytes, &length)) keptArguments[0] = CopyText({bytes, length});
}

ShortText ArgumentText(int n) {
    if (n < 0 || n >= kKeptArguments) return ShortText{};
    return keptArguments[n];
}
