// How much the logs grow at one tick whose condition finds a long span of the page: the match
// log's line and the monitoring log's change line for an 8 MB found text (the size is an
// argument in MB).
//   build/bin/nuvaro_log_growth_bench [megabytes]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "monitor/cycle_rules.h"
#include "monitor/matcher.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
    using namespace nuvaro;
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 8;
    testing::TempExeDir dir;
    const GbkText page =
        GbkText::FromBytes("<body><p>" + std::string(megabytes << 20, 'x') + "</p></body>");
    const auto start = std::chrono::steady_clock::now();
    const GbkText found = MatchKeyword(page, GbkText::FromBytes("<p>(.*)</p>"), 1, "2", "w");
    LogVerdict(Verdict::Change, CycleTraits::For(1), "2", found, "w");
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    auto size = [&](const char* name) {
        return static_cast<double>(std::filesystem::file_size(dir.File(name)));
    };
    std::printf("found text: %.1f MB, match and log: %.0f ms\n", found.size() / 1048576.0, ms);
    std::printf("log.txt grew %.0f bytes, informlog.txt grew %.0f bytes\n", size("Log/log.txt"),
                size("Log/informlog.txt"));
    return 0;
}
