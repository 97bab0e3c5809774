#include "core/temporary_name.h"

#include <algorithm>

#include "core/atomic_file.h"

namespace nuvaro {
namespace {

bool IsLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string TemporaryPathOf(const std::string& path, std::string_view letters) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "/." + name + "." + std::string(letters) + std::string(kTemporaryMark);
}

bool IsTemporaryName(std::string_view entry) {
    const size_t fixed = 2 + kTemporaryLetters + kTemporaryMark.size();
    if (entry.size() <= fixed || entry.front() != '.') return false;
    if (entry.substr(entry.size() - kTemporaryMark.size()) != kTemporaryMark) return false;
    entry.remove_suffix(kTemporaryMark.size());
    if (entry[entry.size() - kTemporaryLetters - 1] != '.') return false;
    return std::all_of(entry.end() - kTemporaryLetters, entry.end(), IsLetterOrDigit);
}

}  // namespace nuvaro
