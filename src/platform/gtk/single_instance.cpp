#include "platform/single_instance.h"

#include <wx/utils.h>

#include <cstdlib>

namespace nuvaro {

SingleInstance::SingleInstance() {
    // The lock file lives in the user's runtime folder when there is one, else in the home.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    wxString folder = runtime && *runtime ? wxString::FromUTF8(runtime) : wxGetHomeDir();
    m_checker = std::make_unique<wxSingleInstanceChecker>("Quorvel", folder);
}

bool SingleInstance::AnotherIsRunning() const { return m_checker->IsAnotherRunning(); }

}  // namespace nuvaro
