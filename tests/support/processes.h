#pragma once

#include <set>
#include <string>

namespace nuvaro::testing {

// What /proc/<pid>/stat says of a process; `pid` is 0 when it could not be read.
struct ProcessInfo {
    int pid = 0;
    std::string name;  // the command name, without its parentheses
    char state = 0;
    int parent = 0;
};

ProcessInfo ReadProcess(int pid);
// Every process now running.
std::set<int> AllProcesses();
// True when `pid` is `ancestor` or runs below it.
bool Descends(int pid, int ancestor);

}  // namespace nuvaro::testing
