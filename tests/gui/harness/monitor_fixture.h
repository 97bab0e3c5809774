#pragma once

#include <string>
#include <vector>

#include "harness/main_frame_fixture.h"
#include "support/http_server.h"

namespace nuvaro::testing {

// The main window with pages served on 127.0.0.1 and ticks fired through the windows' timers.
class MonitorTest : public MainFrameTest {
  protected:
    // Opens `path` of the local server in window n (adding it when needed) and gives its slot
    // the condition; the slot is saved as the dialogs save it.
    void PrepareWindow(int n, const std::string& name, const std::string& path,
                       const std::string& regx, const std::string& group = "");
    // Fires window n's timer as the timer itself does, and waits for the tick to end.
    void Tick(int n);
    void WaitForTick(int n);
    // Monitoring-log and match-log lines, UTF-8, without their date-time.
    std::vector<std::string> InformLines() const;
    std::vector<std::string> MatchLines() const;

    LocalHttpServer server;
};

}  // namespace nuvaro::testing
