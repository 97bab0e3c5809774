#include "platform/services.h"

#include <string>

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

}  // namespace

Notices& GetNotices() {
    if (!NoticesSlot()) NoticesSlot() = std::make_unique<GtkNotices>();
    return *NoticesSlot();
}

Shell& GetShell() {
    if (!ShellSlot()) ShellSlot() = std::make_unique<DesktopShell>();
    return *ShellSlot();
}

void SetNotices(std::unique_ptr<Notices> notices) { NoticesSlot() = std::move(notices); }
void SetShell(std::unique_ptr<Shell> shell) { ShellSlot() = std::move(shell); }

}  // namespace nuvaro
