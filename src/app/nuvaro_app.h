#pragma once

#include <wx/app.h>

namespace nuvaro {

class NuvaroApp : public wxApp {
public:
    bool OnInit() override;
};

}  // namespace nuvaro
