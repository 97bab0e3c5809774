#include "harness/main_frame_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "core/ini_file.h"
#include "services/services.h"

namespace nuvaro::testing {

void MainFrameTest::SetUp() {
    const char* saved = getenv("XDG_CONFIG_HOME");
    savedConfigHome = saved ? saved : "";
    configHome = dir.File("config-home");
    std::filesystem::create_directories(configHome);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    auto recordingNotices = std::make_unique<RecordingNotices>();
    notices = recordingNotices.get();
    SetNotices(std::move(recordingNotices));
    auto recordingShell = std::make_unique<RecordingShell>();
    shell = recordingShell.get();
    SetShell(std::move(recordingShell));
    auto recordingBalloons = std::make_unique<RecordingBalloons>();
    balloons = recordingBalloons.get();
    SetBalloons(std::move(recordingBalloons));
}

void MainFrameTest::TearDown() {
    CloseFrame();
    SetNotices(nullptr);
    SetShell(nullptr);
    SetBalloons(nullptr);
    if (savedConfigHome.empty()) {
        unsetenv("XDG_CONFIG_HOME");
    } else {
        setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    }
}

TMainFrm& MainFrameTest::StartFrame() {
    program = std::make_unique<Program>();
    frame = new TMainFrm(*program);
    program->ResumeOutbox();
    frame->RestoreWindows();
    frame->Show();
    Pump(30);
    return *frame;
}

TMainFrm& MainFrameTest::RestartFrame() {
    CloseFrame();
    return StartFrame();
}

void MainFrameTest::CloseFrame() {
    if (!program) return;
    if (frame) frame->ExitProgram();
    frame = nullptr;
    Pump(50);  // the loop deletes the window
    program.reset();
}

void MainFrameTest::WriteConfig(const std::string& utf8) const {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    dir.Write("Config.inf", G(crlf));
}

std::string MainFrameTest::ConfigValue(const std::string& section, const std::string& key) const {
    return IniFile(dir.File("Config.inf")).ReadString(section, key);
}

}  // namespace nuvaro::testing
