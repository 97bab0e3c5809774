#pragma once

#include <wx/defs.h>
#include <wx/snglinst.h>

#include <memory>

namespace nuvaro {

// The named lock "Quorvel" that lets one copy of the program run at a time.
class SingleInstance {
  public:
    SingleInstance();
    // Whether another copy already holds the lock.
    bool AnotherIsRunning() const;

  private:
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
};

}  // namespace nuvaro
