// The monitoring engine with fake windows, a fake browser and a fake clock: fast, no display.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>

#include "config/config_table.h"
#include "core/gbk.h"
#include "monitor/monitor_engine.h"
#include "support/fake_clock.h"
#include "support/fake_page.h"
#include "support/recording_notices.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

struct FakeWindow : WindowControls {
    explicit FakeWindow(FakeClock& clock) : page(clock) {}
    ControlTexts Read() const override { return texts; }
    PageSource* Source() override { return &page; }
    void ShowMonitoring(bool on) override { caption = on ? "停止监控" : "开始监控"; }
    FakePage page;
    ControlTexts texts;
    std::string caption = "开始监控";
};

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        configs = std::make_unique<TConfigTable>();
        engine = std::make_unique<MonitorEngine>(
            *configs, clock, notices,
            [this](const TConfig& slot, const GbkText& found, const GbkText& previous,
                   const GbkText& value) {
                values.push_back(ToUtf8(value));
                if (!dispatchError.empty()) throw std::runtime_error(dispatchError);
                dispatched.push_back(std::to_string(slot.Index) + ":" + ToUtf8(found));
                previousTexts.push_back(ToUtf8(previous));
            });
    }

    // Window n with its page open, its condition saved and its refresh box at `minutes`.
    FakeWindow& Open(int n, const std::string& regx, const std::string& body = "",
                     const std::string& minutes = "1") {
        auto& w = windows[n] = std::make_unique<FakeWindow>(clock);
        TConfig& slot = (*configs)[n + 1];
        slot.WindowName = "窗口" + std::to_string(n);
        slot.url = w->page.location;
        slot.Regx = regx;
        w->texts.name = slot.WindowName;
        w->texts.url = w->texts.urlUtf8 = w->page.location;
        w->texts.refresh = minutes;
        w->page.body = G(body);
        engine->Attach(n, *w);
        return *w;
    }
    FakeWindow& Monitor(int n, const std::string& regx, const std::string& body = "") {
        FakeWindow& w = Open(n, regx, body);
        engine->StartStop(n);
        EXPECT_TRUE(engine->IsMonitoring(n));
        notices.shown.clear();
        return w;
    }
    // One run of window n, to its end (its timer's next beat does not come meanwhile).
    void Tick(int n) { RunToEnd(n, TickKind::Timer); }
    void Test(int n) { RunToEnd(n, TickKind::Test); }
    void RunToEnd(int n, TickKind kind) {
        engine->Run(n, kind);
        for (int i = 0; i < 400 && engine->TickInProgress(n); ++i) clock.Advance(100ms);
    }
    Lines Log(const char* file) const {
        Lines lines;
        std::string text = ToUtf8(GbkText::FromBytes(dir.Read(std::string("Log/") + file)));
        for (size_t pos = 0; pos < text.size();) {
            size_t end = text.find("\r\n", pos);
            std::string line = text.substr(pos, end - pos);
            lines.push_back(line.substr(line.find('[')));
            pos = end + 2;
        }
        return lines;
    }
    Lines InformLines() const {
        return dir.Exists("Log/informlog.txt") ? Log("informlog.txt") : Lines{};
    }
    Lines ErrorLines() const {
        return dir.Exists("Log/errorlog.txt") ? Log("errorlog.txt") : Lines{};
    }
    std::string LastText() const { return notices.shown.empty() ? "" : notices.shown.back().text; }

    TempExeDir dir;
    std::unique_ptr<TConfigTable> configs;
    FakeClock clock;
    RecordingNotices notices;
    std::vector<std::string> dispatched;
    std::vector<std::string> previousTexts;  // {previous} of each dispatch
    std::vector<std::string> values;         // {value} of each dispatch
    std::string dispatchError;
    std::unique_ptr<MonitorEngine> engine;
    std::array<std::unique_ptr<FakeWindow>, 30> windows;
};

}  // namespace nuvaro::testing
