#include "platform/posix/command_line.h"

namespace nuvaro {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

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
