#include "ui/error_display.h"

#include "core/texts.h"
#include "platform/notices.h"
#include "platform/services.h"

namespace nuvaro {

void ShowDefaultError(const std::string& message) {
    GetNotices().Box(Notices::Owner::MainWindow, message, text::kAppTitle, Notices::Icon::Error,
                     Notices::Buttons::Ok);
}

}  // namespace nuvaro
