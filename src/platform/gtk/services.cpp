#include "platform/services.h"

#include <spawn.h>

#include <string>

#include "core/gbk.h"
#include "platform/gtk/gtk_notices.h"
#include "platform/shell.h"

extern char** environ;

namespace nuvaro {
namespace {

// Opens everything with xdg-open.
class XdgShell : public Shell {
public:
    void OpenDocument(std::string_view target) override {
        std::string utf8 = GbkToUtf8(target);
        char* argv[] = {const_cast<char*>("xdg-open"), utf8.data(), nullptr};
        pid_t pid;
        posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
    }
    void Execute(std::string_view file, std::string_view) override { OpenDocument(file); }
};

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
    if (!ShellSlot()) ShellSlot() = std::make_unique<XdgShell>();
    return *ShellSlot();
}

void SetNotices(std::unique_ptr<Notices> notices) { NoticesSlot() = std::move(notices); }
void SetShell(std::unique_ptr<Shell> shell) { ShellSlot() = std::move(shell); }

}  // namespace nuvaro
