// The splitting of a whole command line into arguments (CommandLineArgument).
//
// Two ways round, on every input:
// - the input as a command line: every argument is found, none holds a double
//   quote, and the arguments joined back by Quote split into the same ones;
// - the input as arguments, the pieces between its double quotes (a double
//   quote is the one byte no argument can hold: "" vanishes and " switches
//   quoting): joined by Quote, they split into the same arguments, each cut
//   to 255 bytes and marked cut exactly when it was longer.
#include <string>
#include <string_view>
#include <vector>

#include "core.h"
#include "fuzz_input.h"

namespace {

bool Separates(char c) { return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32; }

// The inverse of the splitting for an argument without a double quote: an
// empty one or one with a separator goes in quotes, any other stays bare.
std::string Quote(std::string_view argument) {
    bool needsQuotes = argument.empty();
    for (char c : argument) needsQuotes = needsQuotes || Separates(c);
    if (!needsQuotes) return std::string(argument);
    return '"' + std::string(argument) + '"';
}

// Arguments joined with separators of every kind in turn, one before the first too.
std::string JoinQuoted(const std::vector<std::string_view>& arguments) {
    std::string line;
    for (std::size_t n = 0; n < arguments.size(); ++n) {
        line += static_cast<char>(1 + n % 32);
        line += Quote(arguments[n]);
    }
    return line;
}

std::vector<ShortText> Split(std::string_view line) {
    std::vector<ShortText> arguments;
    ShortText argument;
    while (CommandLineArgument(line, static_cast<int>(arguments.size()), &argument)) {
        arguments.push_back(argument);
        // Every argument but an empty one in quotes takes a byte, which "" also does.
        fuzz::Require(arguments.size() <= line.size(), "no more arguments than bytes");
    }
    fuzz::Require(!CommandLineArgument(line, -1, &argument), "no argument before the program name");
    return arguments;
}

void LineSplitsAndJoinsBack(std::string_view line) {
    std::vector<ShortText> arguments = Split(line);
    std::vector<std::string_view> views;
    for (const ShortText& argument : arguments) {
        fuzz::Require(argument.View().find('"') == std::string_view::npos, "no argument holds a double quote");
        fuzz::Require(!argument.cut || argument.length == kShortTextBytes, "only a full-length argument is cut");
        views.push_back(argument.View());
    }
    std::vector<ShortText> again = Split(JoinQuoted(views));
    fuzz::Require(again.size() == arguments.size(), "the joined line has as many arguments");
    for (std::size_t n = 0; n < again.size(); ++n) {
        fuzz::Require(again[n].View() == arguments[n].View() && !again[n].cut,
                      "the joined line has the same arguments");
    }
}

void ArgumentsJoinAndSplitBack(std::string_view pieces) {
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0;;) {
        std::size_t quote = pieces.find('"', start);
        arguments.push_back(pieces.substr(start, quote == std::string_view::npos ? quote : quote - start));
        if (quote == std::string_view::npos) break;
        start = quote + 1;
    }
    std::vector<ShortText> split = Split(JoinQuoted(arguments));
    fuzz::Require(split.size() == arguments.size(), "as many arguments come back");
    for (std::size_t n = 0; n < split.size(); ++n) {
        bool longer = arguments[n].size() > kShortTextBytes;
        fuzz::Require(split[n].View() == arguments[n].substr(0, kShortTextBytes), "the same arguments come back");
        fuzz::Require(split[n].cut == longer, "exactly the longer arguments are marked cut");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LineSplitsAndJoinsBack(bytes);
    ArgumentsJoinAndSplitBack(bytes);
    return 0;
}
