#include "platform/msw/msw_balloons.h"

#include <wx/notifmsg.h>

namespace nuvaro {
namespace {

constexpr size_t kKept = 8;

}  // namespace

MswBalloons::MswBalloons() = default;
MswBalloons::~MswBalloons() = default;

void MswBalloons::Show(const std::string& title, const std::string& text,
                       std::function<void()> onClick) {
    auto note = std::make_unique<wxNotificationMessage>(wxString::FromUTF8(title),
                                                        wxString::FromUTF8(text));
    if (onClick) {
        note->Bind(
            wxEVT_NOTIFICATION_MESSAGE_CLICK,
            [onClick = std::move(onClick), once = std::make_shared<bool>(false)](wxCommandEvent&) {
                if (*once) return;
                *once = true;
                onClick();
            });
    }
    note->Show(wxNotificationMessage::Timeout_Auto);
    m_shown.push_back(std::move(note));
    while (m_shown.size() > kKept) m_shown.pop_front();
}

}  // namespace nuvaro
