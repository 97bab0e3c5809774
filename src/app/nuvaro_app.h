#pragma once

#include <wx/app.h>

#include <memory>

namespace nuvaro {

class SingleInstance;

class NuvaroApp : public wxApp {
  public:
    NuvaroApp();
    ~NuvaroApp() override;

    bool OnInit() override;
    int OnExit() override;
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

  private:
    std::unique_ptr<SingleInstance> m_instance;
};

}  // namespace nuvaro
