#include "../core.h"

namespace {

bool Separates(unsigned char c) { return c >= 1 && c <= 32; }

}  // namespace

bool CommandLineArgument(std::string_view line, int n, ShortText* out) {
    std::size_t at = 0;
    for (int index = 0;; ++index) {
        while (at < line.size() && Separates(static_cast<unsigned char>(line[at]))) ++at;
        if (at >= line.size()) return false;

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
        if (index == n) {
            *out = CopyText({collected, length});
            out->cut = total > length;
            return true;
        }
    }
}

ShortText ArgumentText(int n) {
    const char* bytes = nullptr;
    std::size_t length = 0;
    if (n != 0 && platform::CommandLine(&bytes, &length)) {
        ShortText argument;
        if (n < 0 || !CommandLineArgument({bytes, length}, n, &argument)) return ShortText{};
        return argument;
    }
    if (!platform::Argument(n, &bytes, &length)) return ShortText{};
    return CopyText({bytes, length});
}
