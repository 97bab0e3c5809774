#pragma once

#include <windows.h>

#include <string>

#include "config/autostart.h"

namespace nuvaro {

// Start at logon in the registry of the user running the program (a normal user cannot write
// HKEY_LOCAL_MACHINE): the remembered choice "reg" under <root>\SOFTWARE\Microsoft\Windows and
// the value "Zelvra" under <root>\SOFTWARE\Microsoft\Windows\CurrentVersion\Run, both strings.
class RegistryAutostartStore : public AutostartStore {
  public:
    // `prefix` (tests) puts both keys below a key of their own.
    explicit RegistryAutostartStore(HKEY root = HKEY_CURRENT_USER, std::string prefix = {});

    std::string ReadReg() const override;
    void WriteReg(const std::string& value) override;
    // The executable's full path in quotes, with the system's backslashes.
    void WriteRunValue(const std::string& exePath) override;
    void DeleteRunValue() override;
    bool HasRunValue() const override;
    bool RunValueStarts(const std::string& exePath) const override;

    // The "Zelvra" value as it stands; empty when missing.
    std::string RunValue() const;

  private:
    std::string Key(const char* key) const;

    HKEY m_root;
    std::string m_prefix;
};

}  // namespace nuvaro
