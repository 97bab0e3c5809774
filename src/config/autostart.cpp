#include "config/autostart.h"

namespace nuvaro {

bool SynchronizeAutostart(AutostartStore& store, const std::string& exePath) {
    std::string reg = store.ReadReg();
    if (reg != "1" && reg != "0") {
        store.WriteReg("1");
        store.WriteRunValue(exePath);
        reg = "1";
    }
    return reg == "1" && store.RunValueStarts(exePath);
}

void ApplyAutostartChoice(AutostartStore& store, bool checked, const std::string& exePath) {
    if (checked) {
        store.WriteRunValue(exePath);
        store.WriteReg("1");
    } else {
        store.DeleteRunValue();
        store.WriteReg("0");
    }
}

}  // namespace nuvaro
