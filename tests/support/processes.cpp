#include "support/processes.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace nuvaro::testing {

ProcessInfo ReadProcess(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return {};
    // The name may hold blanks and parentheses; the fields after it follow the last ')'.
    auto open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    ProcessInfo info;
    info.name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    if (!(rest >> info.state >> info.parent)) return {};
    info.pid = pid;
    return info;
}

std::set<int> AllProcesses() {
    std::set<int> pids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
            pids.insert(std::stoi(name));
        }
    }
    return pids;
}

bool Descends(int pid, int ancestor) {
    for (int p = pid; p > 1; p = ReadProcess(p).parent) {
        if (p == ancestor) return true;
    }
    return false;
}

}  // namespace nuvaro::testing
