#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace nuvaro::win32 {

// Access rights for the program's private files as a user's profile has them: full control for
// the current user, the system and the administrators, nothing for anyone else, nothing taken
// over from the folder above. On a folder they pass on to everything made in it later.
class OwnerOnly {
  public:
    explicit OwnerOnly(bool folder);
    ~OwnerOnly();
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    // For CreateFileW and CreateDirectoryW; nullptr when the rights could not be built (the
    // file then takes its folder's).
    SECURITY_ATTRIBUTES* Attributes();
    // Puts the rights on the existing `path` (a folder passes them on to what it holds).
    bool ApplyTo(const std::wstring& path);

  private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes{};
};

}  // namespace nuvaro::win32
