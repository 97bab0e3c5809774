#include <wx/app.h>

#include "app/nuvaro_app.h"

wxIMPLEMENT_APP(nuvaro::NuvaroApp);
