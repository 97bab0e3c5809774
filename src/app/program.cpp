#include "app/program.h"

#include "app/app_icon.h"
#include "app/notice_alerts.h"
#include "config/autostart.h"
#include "config/config_table.h"
#include "core/exe_dir.h"
#include "monitor/monitor_engine.h"
#include "monitor/run_state.h"
#include "notify/notify_dispatcher.h"
#include "platform/wx/tray_icon.h"
#include "services/services.h"
#include "services/ui_clock.h"

namespace nuvaro {
namespace {

constexpr int kReloadsAtOnce = 3;

}  // namespace

Program::Program() {
    m_configs = std::make_unique<TConfigTable>();
    m_runState = std::make_unique<RunState>(ExeDirFile(RunState::kFileName));
    m_dispatcher =
        std::make_unique<NotifyDispatcher>(GetShell(), MakePluginLibraries(), DeliveryPolicy{},
                                           std::make_unique<Outbox>(ExeDirFile(Outbox::kFileName)));
    m_clock = NewUiClock();
    m_engine = std::make_unique<MonitorEngine>(
        *m_configs, *m_clock, GetNotices(),
        [this](const TConfig& slot, const GbkText& found, const GbkText& previous,
               const GbkText& value) { m_dispatcher->Dispatch(slot, found, previous, value); });
    m_engine->SetRunState(m_runState.get());
    // Windows started together take turns to reload: a page costs its web process a good part
    // of a second, and the machine's other work goes on meanwhile.
    m_engine->SetMaxConcurrentReloads(kReloadsAtOnce);
    m_autostart = NewAutostartStore();
    m_tray = std::make_unique<TTrayNotifyIcon>();
    m_tray->SetIcon(AppIcon());
    m_tray->SetIconVisible(true);
    m_alerts = std::make_unique<NoticeAlerts>(*m_tray, GetBalloons());
    m_dispatcher->SetFailureObserver(m_alerts->Observer());
    m_dispatcher->KeptIn()->SetCountObserver(m_alerts->WaitingObserver());
}

Program::~Program() { RemoveTray(); }

void Program::ResumeOutbox() { m_dispatcher->ResumeOutbox(); }

void Program::RemoveTray() {
    m_alerts.reset();
    if (m_tray) {
        m_tray->SetIconVisible(false);
        m_tray.reset();
    }
}

}  // namespace nuvaro
