#pragma once

namespace nuvaro {

// Run once at start, before anything is written: removes the temporary copies that writes of
// the program's settings files (Config.inf, email.inf, config.ini, the autostart store) left
// behind when a process died during the write; such a copy of email.inf holds the password.
// Copies younger than a minute are kept, as a write may still be under way. Returns how many
// were removed.
int RemoveStaleSettingsTemporaries();

}  // namespace nuvaro
