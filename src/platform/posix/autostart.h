#pragma once

#include <string>

#include "config/autostart.h"

namespace nuvaro {

// The values of start at logon on a freedesktop system: the remembered choice "reg" in an INI
// store and the "Zelvra" value of the Run key as an XDG autostart entry. Both live under
// $XDG_CONFIG_HOME (default ~/.config).
class XdgAutostartStore : public AutostartStore {
  public:
    // Empty: $XDG_CONFIG_HOME, else $HOME/.config.
    explicit XdgAutostartStore(std::string configHome = {});

    std::string ReadReg() const override;
    void WriteReg(const std::string& value) override;
    void WriteRunValue(const std::string& exePath) override;
    void DeleteRunValue() override;
    bool HasRunValue() const override;
    bool RunValueStarts(const std::string& exePath) const override;
    std::vector<std::string> Files() const override;

    std::string RegFile() const;
    std::string RunEntryFile() const;

  private:
    std::string m_configHome;
};

}  // namespace nuvaro
