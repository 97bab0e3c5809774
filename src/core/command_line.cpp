#include "core/command_line.h"

namespace nuvaro {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string QuoteArgument(std::string_view arg) {
    bool plain = !arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos;
    if (plain) return std::string(arg);
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote itself escaped.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');  // they stand before the closing quote
    out += '"';
    return out;
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const auto& arg : args) {
        if (!line.empty()) line += ' ';
        line += QuoteArgument(arg);
    }
    return line;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            char c = line[i];
            if (c == '\\') {
                size_t run = 0;
                while (i < n && line[i] == '\\') ++run, ++i;
                bool quoteFollows = i < n && line[i] == '"';
                arg.append(quoteFollows ? run / 2 : run, '\\');
                if (quoteFollows && run % 2 == 1) {
                    arg += '"';
                    ++i;
                }
                // An even run leaves the quote to the group handling below.
            } else if (c == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += c;
                ++i;
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace nuvaro
