// How long ticks keep the event loop from running: 10 windows tick at once on local pages of
// 1 MB body markup while a 10 ms probe timer measures the largest gap between its events.
// A blocking pause would cost 1000 ms per tick. The argument is what the condition reads: 0 the
// markup, 1 the visible text, 2 the markup of one element chosen by a selector.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "app/program.h"
#include "platform/browser_panel.h"
#include "services/notices.h"
#include "services/services.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace {

using namespace nuvaro;
using Clock = std::chrono::steady_clock;
constexpr int kWindows = 10;

class SilentNotices : public Notices {
  public:
    Answer Box(Owner, const std::string&, const std::string&, Icon, Buttons) override {
        return Answer::Ok;
    }
    void PostBox(Owner, const std::string&, const std::string&, Icon, Closed closed) override {
        if (closed) closed();
    }
    void PostTimedMessage(const std::string&, int, Closed closed) override {
        if (closed) closed();
    }
    std::string ChooseFileToOpen() override { return {}; }
};

std::string MegabytePage(int n) {
    std::string body;
    for (int i = 0; body.size() < (1 << 20); ++i) {
        body += "<div class=\"item\"><a href=\"/p/" + std::to_string(i) +
                ".html\">新款笔记本电脑 第" + std::to_string(i) + "代</a><span>售价：￥" +
                std::to_string(i * 13 % 9999) + ".00</span></div>\n";
    }
    return "<html><head><meta charset=\"utf-8\"></head><body>" + body + "<b>窗口" +
           std::to_string(n) + "</b></body></html>";
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs the loop until `done` holds; returns the largest gap between 10 ms probe events.
double RunLoopMeasuringStall(const std::function<bool()>& done) {
    wxGUIEventLoop loop;
    wxTimer probe;
    auto last = Clock::now();
    double worst = 0;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        auto now = Clock::now();
        double gap = std::chrono::duration<double, std::milli>(now - last).count();
        worst = std::max(worst, gap);
        last = now;
        if (done()) loop.Exit();
    });
    probe.Start(10);
    loop.Run();
    return worst;
}

struct Fixture {
    testing::TempExeDir dir;
    testing::LocalHttpServer server;
    std::unique_ptr<Program> program;
    TMainFrm* frame = nullptr;

    explicit Fixture(int reads) {
        SetNotices(std::make_unique<SilentNotices>());
        // The window's first show writes the autostart entry: into the run's folder, never
        // into the user's own.
        setenv("XDG_CONFIG_HOME", dir.File("config-home").c_str(), 1);
        for (int n = 0; n < kWindows; ++n) {
            server.SetPage("/page" + std::to_string(n), MegabytePage(n),
                           "text/html; charset=utf-8");
        }
        // One local site stands for ten: its turns would only add waiting to what this measures.
        dir.Write("config.ini", "[Sites]\r\nPerSite=30\r\nGapSeconds=0\r\n");
        program = std::make_unique<Program>();
        frame = new TMainFrm(*program);
        program->ResumeOutbox();
        frame->RestoreWindows();
        frame->Show();
        for (int n = 1; n <= kWindows; ++n) {
            frame->NewWindowClick();
            MonitorWindow* w = frame->Window(n);
            w->NameEdit()->SetValue("w" + std::to_string(n));
            w->UrlEdit()->SetValue(server.Url("/page" + std::to_string(n - 1)));
            w->RefreshEdit()->SetValue("1");
            frame->OpenPageNClick(n);
            frame->Configs()[n + 1].Regx = "窗口(\\d+)";
            frame->Configs()[n + 1].RegGrp = "1";
            if (reads == 1) frame->Configs()[n + 1].TextMode = "text";
            if (reads == 2) frame->Configs()[n + 1].Selector = "body > b";
            frame->StartStopNClick(n);
        }
        RunLoopMeasuringStall([&] {
            for (int n = 1; n <= kWindows; ++n) {
                BrowserPanel* b = frame->Window(n)->Browser();
                if (b->LocationURL().empty() || b->IsLoading()) return false;
            }
            return true;
        });
    }
    ~Fixture() {
        frame->ExitProgram();
        wxTheApp->ProcessIdle();  // deletes the window before its program
        program.reset();
        SetNotices(nullptr);
    }
    bool AllTicksDone() const {
        for (int n = 1; n <= kWindows; ++n) {
            if (frame->TickInProgress(n)) return false;
        }
        return true;
    }
};

void BM_TickStall(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    double worst = 0, cpu = 0;
    int ticks = 0;
    for (auto _ : state) {
        double cpuBefore = CpuSeconds();
        for (int n = 1; n <= kWindows; ++n) fixture.frame->WindowTimer(n);
        worst = std::max(worst, RunLoopMeasuringStall([&] { return fixture.AllTicksDone(); }));
        cpu += CpuSeconds() - cpuBefore;
        ticks += kWindows;
    }
    state.counters["max_stall_ms"] = worst;
    state.counters["blocking_pause_ms"] = 1000;
    state.counters["cpu_ms_per_tick_1MB"] = cpu * 1000 / ticks;
}
BENCHMARK(BM_TickStall)
    ->ArgName("reads")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv)) return 2;
    wxTheApp->CallOnInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
