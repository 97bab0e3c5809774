#pragma once

#include <wx/app.h>

#include <memory>

namespace nuvaro {

class Program;
class SingleInstance;

// The composition root: builds the program (its services and subsystems, wired), then the main
// window that shows it.
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
    std::unique_ptr<Program> m_program;  // outlives the main window
};

}  // namespace nuvaro
