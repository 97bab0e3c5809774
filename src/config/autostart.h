#pragma once

#include <memory>
#include <string>
#include <vector>

namespace nuvaro {

// The two values of start at logon: the remembered choice "reg" ("1" chosen, "0" refused,
// anything else: first run) and the "Zelvra" entry that starts the program at logon. Each system
// keeps them its own way (platform/posix: an INI store and an XDG autostart entry; platform/
// win32: the current user's registry). Failed writes throw std::runtime_error.
class AutostartStore {
  public:
    virtual ~AutostartStore() = default;

    virtual std::string ReadReg() const = 0;
    virtual void WriteReg(const std::string& value) = 0;
    // Start-at-logon entry that runs `exePath`.
    virtual void WriteRunValue(const std::string& exePath) = 0;
    // A missing entry is no error.
    virtual void DeleteRunValue() = 0;
    virtual bool HasRunValue() const = 0;
    // Whether the entry starts the program at `exePath` (another copy may have left one).
    virtual bool RunValueStarts(const std::string& exePath) const = 0;
    // The files the store keeps, if it keeps files.
    virtual std::vector<std::string> Files() const { return {}; }
};

// The store of this system, for the user running the program.
std::unique_ptr<AutostartStore> NewAutostartStore();

// At every show of the main window: on the first run ("reg" neither "1" nor "0") switches
// start at logon on; returns whether the check box is to be checked: the choice is on and the
// entry starts this executable.
bool SynchronizeAutostart(AutostartStore& store, const std::string& exePath);

// The user checked or unchecked the box.
void ApplyAutostartChoice(AutostartStore& store, bool checked, const std::string& exePath);

}  // namespace nuvaro
