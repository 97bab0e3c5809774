#pragma once

namespace nuvaro {

// For tests of the real program only: when the environment variable NUVARO_TEST_KILL_AT names
// `point`, the process ends there as a kill would (no clean-up), once the file writes handed
// off before the point are on disk, so a test can stop it between two writes. Without the variable
// this does nothing.
void TestKillPoint(const char* point);

}  // namespace nuvaro
