#pragma once

#include <string>

namespace nuvaro {

// What stands in for the two registry values of start at logon: the remembered choice "reg"
// (an INI store) and the "Zelvra" value of the Run key (an XDG autostart entry). Both live
// under $XDG_CONFIG_HOME (default ~/.config). Failed writes throw std::runtime_error.
class AutostartStore {
public:
    // Empty: $XDG_CONFIG_HOME, else $HOME/.config.
    explicit AutostartStore(std::string configHome = {});

    std::string ReadReg() const;
    void WriteReg(const std::string& value);
    // Start-at-logon entry that runs `exePath`.
    void WriteRunValue(const std::string& exePath);
    // A missing entry is no error.
    void DeleteRunValue();
    bool HasRunValue() const;

    std::string RegFile() const;
    std::string RunEntryFile() const;

private:
    std::string m_configHome;
};

// At every show of the main window: on the first run ("reg" neither "1" nor "0") switches
// start at logon on; returns whether the check box is to be checked.
bool SynchronizeAutostart(AutostartStore& store, const std::string& exePath);

// The user checked or unchecked the box.
void ApplyAutostartChoice(AutostartStore& store, bool checked, const std::string& exePath);

}  // namespace nuvaro
