#pragma once

#include <memory>

namespace nuvaro {

class Balloons;
class Notices;
class Shell;

// The desktop services in use. The desktop implementations are chosen here, once; tests put
// recording ones in their place.
Notices& GetNotices();
Shell& GetShell();
Balloons& GetBalloons();

// Replaces a service (tests); null puts the desktop implementation back.
void SetNotices(std::unique_ptr<Notices> notices);
void SetShell(std::unique_ptr<Shell> shell);
void SetBalloons(std::unique_ptr<Balloons> balloons);

}  // namespace nuvaro
