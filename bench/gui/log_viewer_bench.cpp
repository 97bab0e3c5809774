// How long the log viewer takes to open on a large monitoring log, and how much memory it
// takes meanwhile: a log of N lines (default 2,000,000, about 46 days of 30 windows ticking
// every minute) is written to a temporary folder, then the viewer opens it. With a second
// argument, the newest line holds a found text of that many MB, as older versions wrote it.
//   xvfb-run -a build/bin/nuvaro_log_viewer_bench [lines [megabytes]]
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "monitor/monitor_log.h"
#include "monitor/ui/log_viewer_frm.h"
#include "support/temp_dir.h"

namespace {

using namespace nuvaro;
using Clock = std::chrono::steady_clock;

// A value of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size() + 1);
    }
    return -1;
}

void WriteLogLines(const std::string& file, long lines) {
    std::ofstream out(file, std::ios::binary);
    const std::string window = testing::G("价格页");
    for (long i = 0; i < lines; ++i) {
        const long minute = i / 30;
        const std::string time = "2026-" + std::to_string(1 + minute / 43200 % 12) + "-" +
                                 std::to_string(1 + minute / 1440 % 30) + " " +
                                 std::to_string(minute / 60 % 24) + ":" +
                                 std::to_string(minute % 60) + ":" + std::to_string(i % 30);
        out << (i % 10 ? loglines::NothingFound(time, window).bytes()
                       : loglines::ChangeNotified(
                             time, "2", GbkText::FromBytes(testing::G("价格") + std::to_string(i)),
                             window)
                             .bytes())
            << "\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 2000000;
    testing::TempExeDir dir;
    std::filesystem::create_directories(dir.File("Log"));
    WriteLogLines(dir.File("Log/informlog.txt"), lines);
    if (argc > 2) {
        std::ofstream(dir.File("Log/informlog.txt"), std::ios::binary | std::ios::app)
            << "2027-1-1 0:00:00[2][" << std::string(std::atol(argv[2]) << 20, 'x') << "]"
            << testing::G("监控点信息发生变化，发出提醒[价格页]") << "\r\n";
    }
    const auto bytes = std::filesystem::file_size(dir.File("Log/informlog.txt"));

    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;  // the line count is ours
    if (!wxEntryStart(wxArgc, argv)) return 2;
    wxTheApp->CallOnInit();
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        const long rssBefore = StatusKb("VmRSS:");
        const auto start = Clock::now();
        auto* viewer = new TLogViewerFrm(nullptr, {});
        viewer->Show();
        while (viewer->Loading()) {
            loop.Dispatch();
            while (loop.Pending()) loop.Dispatch();
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("log: %ld lines, %.1f MB\n", lines, static_cast<double>(bytes) / 1e6);
        std::printf("viewer open: %.0f ms, %u rows shown\n", ms, viewer->RowCount());
        std::printf("memory: %.0f MB before opening, peak %.0f MB above that\n", rssBefore / 1024.0,
                    (StatusKb("VmHWM:") - rssBefore) / 1024.0);
        viewer->Destroy();
        while (loop.Pending()) loop.Dispatch();
    }
    wxEntryCleanup();
    return 0;
}
