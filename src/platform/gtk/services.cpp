#include "platform/services.h"

#include <string>

#include "platform/gtk/desktop_balloons.h"
#include "platform/gtk/gtk_notices.h"
#include "platform/posix/desktop_shell.h"

namespace nuvaro {
namespace {

std::unique_ptr<Notices>& NoticesSlot() {
    static std::unique_ptr<Notices> notices;
    return notices;
}

std::unique_ptr<Shell>& ShellSlot() {
    static std::unique_ptr<Shell> shell;
    return shell;
}

std::unique_ptr<Balloons>& BalloonsSlot() {
    static std::unique_ptr<Balloons> balloons;
    return balloons;
}

}  // namespace

Notices& GetNotices() {
    if (!NoticesSlot()) NoticesSlot() = std::make_unique<GtkNotices>();
    return *NoticesSlot();
}

Shell& GetShell() {
    if (!ShellSlot()) ShellSlot() = std::make_unique<DesktopShell>();
    return *ShellSlot();
}

Balloons& GetBalloons() {
    if (!BalloonsSlot()) BalloonsSlot() = std::make_unique<DesktopBalloons>();
    return *BalloonsSlot();
}

void SetNotices(std::unique_ptr<Notices> notices) { NoticesSlot() = std::move(notices); }
void SetShell(std::unique_ptr<Shell> shell) { ShellSlot() = std::move(shell); }
void SetBalloons(std::unique_ptr<Balloons> balloons) { BalloonsSlot() = std::move(balloons); }

}  // namespace nuvaro
