#include "platform/win32/owner_only.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace nuvaro::win32 {
namespace {

// The current user's SID as text ("S-1-5-21-..."), empty when it cannot be had.
std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::wstring text;
    wchar_t* sid = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

}  // namespace

OwnerOnly::OwnerOnly(bool folder) {
    const std::wstring user = CurrentUserSid();
    if (user.empty()) return;
    // P: protected, nothing inherited; OICI: files and folders made inside inherit the entry.
    const std::wstring flags = folder ? L"OICI" : L"";
    const std::wstring sddl = L"D:P(A;" + flags + L";FA;;;" + user + L")(A;" + flags +
                              L";FA;;;SY)(A;" + flags + L";FA;;;BA)";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &m_descriptor, nullptr)) {
        m_descriptor = nullptr;
        return;
    }
    m_attributes = {sizeof m_attributes, m_descriptor, FALSE};
}

OwnerOnly::~OwnerOnly() {
    if (m_descriptor) LocalFree(m_descriptor);
}

SECURITY_ATTRIBUTES* OwnerOnly::Attributes() { return m_descriptor ? &m_attributes : nullptr; }

bool OwnerOnly::ApplyTo(const std::wstring& path) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!m_descriptor || !GetSecurityDescriptorDacl(m_descriptor, &present, &dacl, &defaulted)) {
        return false;
    }
    std::wstring target = path;  // the call takes a writable string
    return SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

}  // namespace nuvaro::win32
