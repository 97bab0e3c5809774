#include "services/services.h"

#include "services/desktop_services.h"

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
    if (!NoticesSlot()) NoticesSlot() = NewDesktopNotices();
    return *NoticesSlot();
}

Shell& GetShell() {
    if (!ShellSlot()) ShellSlot() = NewDesktopShell();
    return *ShellSlot();
}

Balloons& GetBalloons() {
    if (!BalloonsSlot()) BalloonsSlot() = NewDesktopBalloons();
    return *BalloonsSlot();
}

void SetNotices(std::unique_ptr<Notices> notices) { NoticesSlot() = std::move(notices); }
void SetShell(std::unique_ptr<Shell> shell) { ShellSlot() = std::move(shell); }
void SetBalloons(std::unique_ptr<Balloons> balloons) { BalloonsSlot() = std::move(balloons); }

}  // namespace nuvaro
