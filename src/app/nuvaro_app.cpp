#include "app/nuvaro_app.h"

namespace nuvaro {

bool NuvaroApp::OnInit() { return false; }

}  // namespace nuvaro
