#pragma once
// Velpanel's application object: start-up, the setup switch and the main window.
#include "framework/app.h"
#include "velpanel/launch.h"

namespace velpanel {

class PanelApp : public fw::App {
 public:
  // The panel starts velora's modes through the starter.
  explicit PanelApp(ProcessStarter& starter) : starter(starter) {}

  static PanelApp& Get() { return *static_cast<PanelApp*>(fw::App::Current()); }
  using fw::App::Settings;

  // Windows 95 / NT 4 or later: the window is a tool window with a small caption.
  bool newShell = true;

  // The system's text for a program that could not be started, in a box.
  void ShowStartError(DWORD error) const;

 protected:
  bool InitInstance() override;
  // The part of start-up that comes before the window.
  void StartUp();

 private:
  // The setup switch: velora's setup, started like the Configure button's.
  void StartSetup() const;

  ProcessStarter& starter;
};

}  // namespace velpanel
