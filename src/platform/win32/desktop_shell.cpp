#include "platform/win32/desktop_shell.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <thread>

#include "platform/win32/wide.h"

namespace nuvaro {
namespace {

// The shell's handlers may be COM objects: each call has COM on its thread.
class ComOnThisThread {
  public:
    ComOnThisThread()
        : m_ok(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComOnThisThread() {
        if (m_ok) CoUninitialize();
    }

  private:
    bool m_ok;
};

// Opening a document may take the shell a while (a program starting): never on the caller's
// thread, which may be the UI's. `failed` runs there when no program could be started.
void OpenDetached(std::wstring target, std::function<void()> failed = {}) {
    std::thread([target = std::move(target), failed = std::move(failed)] {
        std::string error;
        if (!ShellOpen(target, L"", error) && failed) failed();
    }).detach();
}

}  // namespace

bool ShellOpen(const std::wstring& file, const std::wstring& parameters, std::string& error) {
    ComOnThisThread com;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    error = win32::SystemMessage(GetLastError());
    return false;
}

void WindowsShell::OpenDocument(std::string_view target) { OpenDetached(win32::Wide(target)); }

void WindowsShell::OpenPath(std::string_view nativePath) {
    OpenDetached(win32::WidePath(nativePath));
}

void WindowsShell::OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) {
    OpenDetached(win32::WidePath(nativePath), std::move(failed));
}

bool WindowsShell::Execute(std::string_view file, std::string_view parameters) {
    std::string error;
    return ShellOpen(win32::Wide(file), win32::Wide(parameters), error);
}

}  // namespace nuvaro
