// Looks at the windows of a running program for the Wine tests of tests/wine, as a user's eyes
// would, and answers on its standard output (UTF-8):
//   gui_probe window <title> [seconds]   "tabs=<n>" (tabs of its tab control), "tray=<0|1>"
//                                        (the program's icon is in the notification area)
//   gui_probe boxes <title> [seconds]    "box=<text>" for each top-level window so titled,
//                                        then "owner=<title>" of its owner, if it has one
//   gui_probe press <title> <text>       presses the first button of the box so titled whose
//                                        text holds <text>
//   gui_probe click <title> <label>      clicks the button so labelled in the window so titled
//   gui_probe places <prefix> [seconds]  "at=<x>,<y> <title>" for each top-level window whose
//                                        title begins with <prefix>
//   gui_probe menu <title> <text>        how the first item of the window's menu bar, <text>,
//                                        is drawn:
//                                        "menu=chinese" when it looks like the item's text drawn
//                                        in the Chinese menu font more than in one without
//                                        Chinese characters, else "menu=boxes"
//   gui_probe registry                   "reg=<value>", "run=<value>" of start at logon,
//                                        "scripts=<value>" of IE's script-statement limit
// Exit code 0 when what was asked for was found within the time.

#include <windows.h>
// After windows.h, which they need:
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "menu_look.h"

namespace {

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

struct Search {
    std::wstring title;
    std::vector<HWND> found;
};

std::vector<HWND> TopWindows(const std::wstring& title) {
    Search search{title, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && TextOf(window) == s->title) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children(HWND parent, const std::wstring& className) {
    Search search{className, {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ClassOf(window) == s->title) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> WaitForTop(const std::wstring& title, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        auto found = TopWindows(title);
        if (!found.empty()) return found;
        Sleep(100);
    }
    return {};
}

// The icon wx puts in the notification area belongs to a hidden window of the program with the
// identifier 99: changing nothing of it succeeds only while the icon is there.
bool TrayIconOf(DWORD process) {
    struct Find {
        DWORD process;
        bool found = false;
    } find{process};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Find*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != f->process) return TRUE;
            NOTIFYICONDATAW icon{};
            icon.cbSize = sizeof icon;
            icon.hWnd = window;
            icon.uID = 99;
            f->found = Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
            return !f->found;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

int Window(const std::wstring& title, int seconds) {
    auto found = WaitForTop(title, seconds);
    if (found.empty()) return 1;
    // The toolkit registers the system's tab control under a name of its own.
    int count = 0;
    for (const wchar_t* name : {WC_TABCONTROLW, L"_wx_SysTabCtl32"}) {
        for (HWND tabs : Children(found[0], name)) {
            count += static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        }
    }
    DWORD process = 0;
    GetWindowThreadProcessId(found[0], &process);
    bool tray = false;
    for (int i = 0; i < seconds * 10 && !tray; ++i, Sleep(100)) tray = TrayIconOf(process);
    std::printf("tabs=%d\ntray=%d\n", count, tray ? 1 : 0);
    return 0;
}

std::wstring BoxText(HWND box) {
    std::wstring text;
    for (HWND label : Children(box, L"Static")) {
        std::wstring part = TextOf(label);
        if (!part.empty()) text += (text.empty() ? L"" : L" ") + part;
    }
    return text;
}

int Boxes(const std::wstring& title, int seconds) {
    auto found = WaitForTop(title, seconds);
    for (HWND box : found) {
        std::printf("box=%s\n", Utf8(BoxText(box)).c_str());
        // The window it lies over: an owned window stays above its owner.
        if (HWND owner = GetWindow(box, GW_OWNER))
            std::printf("owner=%s\n", Utf8(TextOf(owner)).c_str());
    }
    return found.empty() ? 1 : 0;
}

int Press(const std::wstring& title, const std::wstring& text) {
    for (HWND box : WaitForTop(title, 30)) {
        if (BoxText(box).find(text) == std::wstring::npos) continue;
        auto buttons = Children(box, L"Button");
        if (buttons.empty()) return 1;
        PostMessageW(buttons[0], BM_CLICK, 0, 0);
        return 0;
    }
    return 1;
}

int Click(const std::wstring& title, const std::wstring& label) {
    for (HWND window : WaitForTop(title, 30)) {
        for (HWND button : Children(window, L"Button")) {
            if (TextOf(button) != label) continue;
            PostMessageW(button, BM_CLICK, 0, 0);
            return 0;
        }
    }
    return 1;
}

int Places(const std::wstring& prefix, int seconds) {
    struct Find {
        std::wstring prefix;
        std::vector<HWND> found;
    } find{prefix, {}};
    for (int i = 0; i < seconds * 10 && find.found.empty(); ++i, Sleep(100)) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* f = reinterpret_cast<Find*>(data);
                if (IsWindowVisible(window) && TextOf(window).rfind(f->prefix, 0) == 0)
                    f->found.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&find));
    }
    for (HWND window : find.found) {
        RECT rect{};
        GetWindowRect(window, &rect);
        std::printf("at=%ld,%ld %s\n", rect.left, rect.top, Utf8(TextOf(window)).c_str());
    }
    return find.found.empty() ? 1 : 0;
}

std::string RegistryDword(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return "";
    }
    return std::to_string(value);
}

std::wstring RegistryValue(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return L"";
    }
    return buffer;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF, as the tests read them
    std::wstring command = argc > 1 ? argv[1] : L"";
    int seconds = argc > 3 ? _wtoi(argv[3]) : 60;
    int result = 2;
    if (command == L"window" && argc >= 3) result = Window(argv[2], seconds);
    if (command == L"boxes" && argc >= 3) result = Boxes(argv[2], seconds);
    if (command == L"press" && argc == 4) result = Press(argv[2], argv[3]);
    if (command == L"click" && argc == 4) result = Click(argv[2], argv[3]);
    if (command == L"places" && argc >= 3) result = Places(argv[2], seconds);
    if (command == L"menu" && argc == 4)
        result = menu_look::Report(WaitForTop(argv[2], 60), argv[3]);
    if (command == L"registry") {
        std::printf("scripts=%s\n", RegistryDword(L"Software\\Microsoft\\Internet Explorer\\Styles",
                                                  L"MaxScriptStatements")
                                        .c_str());
        std::printf("reg=%s\n",
                    Utf8(RegistryValue(L"SOFTWARE\\Microsoft\\Windows", L"reg")).c_str());
        std::printf(
            "run=%s\n",
            Utf8(RegistryValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Zelvra"))
                .c_str());
        result = 0;
    }
    std::fflush(stdout);
    return result;
}
