#pragma once

namespace nuvaro {

// Run once at start, before anything is written: removes the temporary copies that writes of
// the program's files (settings, run state) left behind in the executable's folder when a
// process died during the write; such a copy of email.inf holds the password. Only names that
// the program's writes make are touched, only regular files, never through a link; copies
// younger than a minute are kept, as a write may still be under way. Returns how many were
// removed.
int RemoveStaleSettingsTemporaries();

// Run once at start: what the program keeps about its user beside the executable (settings
// with addresses and passwords, the run state and the outbox, the logs, the browser profile
// with its logins) is made readable by its owner only, as the program makes it since.
void MakeKeptFilesPrivate();

}  // namespace nuvaro
