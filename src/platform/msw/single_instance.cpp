#include "platform/single_instance.h"

namespace nuvaro {

// On Windows the checker is the named mutex "Quorvel" of the user's session.
SingleInstance::SingleInstance() {
    m_checker = std::make_unique<wxSingleInstanceChecker>("Quorvel");
}

bool SingleInstance::AnotherIsRunning() const { return m_checker->IsAnotherRunning(); }

}  // namespace nuvaro
