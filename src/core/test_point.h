#pragma once

namespace nuvaro {

// For tests of the real program only: when the environment variable NUVARO_TEST_KILL_AT names
// `point`, the process ends at once there, as a kill would (no clean-up, nothing flushed), so a
// test can stop it between two writes. Without the variable this does nothing.
void TestKillPoint(const char* point);

}  // namespace nuvaro
