#include "platform/posix/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "core/atomic_file.h"
#include "core/ini_file.h"

namespace nuvaro {
namespace {

constexpr const char* kRegKey = "SOFTWARE\\Microsoft\\Windows";
constexpr const char* kRunValueName = "Zelvra";

// mkdir -p; failures show at the write that follows.
void MakeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    }
}

// Exec= value of a desktop entry: quoted, with its reserved characters escaped.
std::string DesktopExecQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';  // field codes
        out += c;
    }
    out += '"';
    // The desktop entry format escapes "\" once more.
    std::string escaped;
    for (char c : out) {
        escaped += c;
        if (c == '\\') escaped += '\\';
    }
    return escaped;
}

// The program an Exec= value starts, undoing both levels of DesktopExecQuoted; an unquoted value
// ends at its first blank.
std::string DesktopExecProgram(const std::string& value) {
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            unescaped += next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            unescaped += value[i];
        }
    }
    std::string program;
    const bool quoted = !unescaped.empty() && unescaped[0] == '"';
    for (size_t i = quoted ? 1 : 0; i < unescaped.size(); ++i) {
        const char c = unescaped[i];
        if (quoted ? c == '"' : c == ' ') break;
        if (quoted && c == '\\' && i + 1 < unescaped.size()) {
            program += unescaped[++i];
        } else if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            program += unescaped[++i];
        } else {
            program += c;
        }
    }
    return program;
}

}  // namespace

XdgAutostartStore::XdgAutostartStore(std::string configHome) : m_configHome(std::move(configHome)) {
    if (!m_configHome.empty()) return;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') {
        m_configHome = xdg;
    } else {
        const char* home = std::getenv("HOME");
        m_configHome = std::string(home ? home : "") + "/.config";
    }
}

std::string XdgAutostartStore::RegFile() const { return m_configHome + "/nuvaro/registry.ini"; }

std::string XdgAutostartStore::RunEntryFile() const {
    return m_configHome + "/autostart/" + kRunValueName + ".desktop";
}

std::string XdgAutostartStore::ReadReg() const {
    return IniFile(RegFile()).ReadString(kRegKey, "reg");
}

void XdgAutostartStore::WriteReg(const std::string& value) {
    MakeFolders(m_configHome + "/nuvaro");
    IniFile(RegFile()).WriteString(kRegKey, "reg", value);
}

void XdgAutostartStore::WriteRunValue(const std::string& exePath) {
    MakeFolders(m_configHome + "/autostart");
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Nuvaro\n"
        "Comment=Nuvaro\n"
        "Exec=" +
        DesktopExecQuoted(exePath) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    ReplaceFileAtomically(RunEntryFile(), entry, 0644);  // a desktop entry like any other
}

void XdgAutostartStore::DeleteRunValue() {
    if (unlink(RunEntryFile().c_str()) != 0 && errno != ENOENT) {
        throw FileWriteError(RunEntryFile());
    }
}

bool XdgAutostartStore::HasRunValue() const { return access(RunEntryFile().c_str(), F_OK) == 0; }

bool XdgAutostartStore::RunValueStarts(const std::string& exePath) const {
    const std::optional<std::string> entry = ReadWholeFile(RunEntryFile());
    if (!entry) return false;
    size_t line = 0;
    while (line < entry->size()) {
        size_t end = entry->find('\n', line);
        if (end == std::string::npos) end = entry->size();
        std::string_view text(entry->data() + line, end - line);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.starts_with("Exec=")) {
            return DesktopExecProgram(std::string(text.substr(5))) == exePath;
        }
        line = end + 1;
    }
    return false;
}

std::vector<std::string> XdgAutostartStore::Files() const { return {RegFile(), RunEntryFile()}; }

std::unique_ptr<AutostartStore> NewAutostartStore() {
    return std::make_unique<XdgAutostartStore>();
}

}  // namespace nuvaro
