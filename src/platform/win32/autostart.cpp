#include "platform/win32/autostart.h"

#include <stdexcept>

#include "platform/win32/wide.h"

namespace nuvaro {
namespace {

constexpr const char* kRegKey = "SOFTWARE\\Microsoft\\Windows";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRegValue = L"reg";
constexpr const wchar_t* kRunValueName = L"Zelvra";

[[noreturn]] void Refused(const std::string& key, LSTATUS status) {
    throw std::runtime_error("Unable to write to HKEY_CURRENT_USER\\" + key + " (" +
                             win32::SystemMessage(static_cast<unsigned long>(status)) + ")");
}

// A string value, or nothing when the key or the value is missing.
bool ReadString(HKEY root, const std::string& key, const wchar_t* name, std::string& out) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer - sizeof(wchar_t);
    LSTATUS status =
        RegGetValueW(root, win32::Wide(key).c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    if (status != ERROR_SUCCESS) return false;
    out = win32::Utf8(std::wstring_view(buffer, wcsnlen(buffer, size / sizeof(wchar_t))));
    return true;
}

void WriteString(HKEY root, const std::string& key, const wchar_t* name,
                 const std::wstring& value) {
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(root, win32::Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) Refused(key, status);
    status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) Refused(key, status);
}

}  // namespace

RegistryAutostartStore::RegistryAutostartStore(HKEY root, std::string prefix)
    : m_root(root), m_prefix(std::move(prefix)) {}

std::string RegistryAutostartStore::Key(const char* key) const {
    return m_prefix.empty() ? key : m_prefix + "\\" + key;
}

std::string RegistryAutostartStore::ReadReg() const {
    std::string value;
    ReadString(m_root, Key(kRegKey), kRegValue, value);
    return value;
}

void RegistryAutostartStore::WriteReg(const std::string& value) {
    WriteString(m_root, Key(kRegKey), kRegValue, win32::Wide(value));
}

void RegistryAutostartStore::WriteRunValue(const std::string& exePath) {
    WriteString(m_root, Key(kRunKey), kRunValueName, L"\"" + win32::WidePath(exePath) + L"\"");
}

void RegistryAutostartStore::DeleteRunValue() {
    LSTATUS status = RegDeleteKeyValueW(m_root, win32::Wide(Key(kRunKey)).c_str(), kRunValueName);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Refused(Key(kRunKey), status);
}

bool RegistryAutostartStore::HasRunValue() const {
    std::string value;
    return ReadString(m_root, Key(kRunKey), kRunValueName, value);
}

// The value as WriteRunValue writes it; Windows paths compare without regard to case.
bool RegistryAutostartStore::RunValueStarts(const std::string& exePath) const {
    std::string value;
    if (!ReadString(m_root, Key(kRunKey), kRunValueName, value)) return false;
    std::wstring stored = win32::Wide(value);
    std::wstring wanted = L"\"" + win32::WidePath(exePath) + L"\"";
    return CompareStringOrdinal(stored.c_str(), static_cast<int>(stored.size()), wanted.c_str(),
                                static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

std::string RegistryAutostartStore::RunValue() const {
    std::string value;
    ReadString(m_root, Key(kRunKey), kRunValueName, value);
    return value;
}

std::unique_ptr<AutostartStore> NewAutostartStore() {
    return std::make_unique<RegistryAutostartStore>();
}

}  // namespace nuvaro
