#include "ui/error_display.h"

#include "core/texts.h"
#include "services/notices.h"
#include "services/services.h"

namespace nuvaro {

void ShowDefaultError(const std::string& message) {
    GetNotices().Box(Notices::Owner::MainWindow, message, text::kAppTitle, Notices::Icon::Error,
                     Notices::Buttons::Ok);
}

}  // namespace nuvaro
