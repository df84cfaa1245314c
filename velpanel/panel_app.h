#pragma once
// Velpanel's application object: start-up and the main window.
#include "framework/app.h"

namespace velpanel {

class PanelApp : public fw::App {
 public:
  static PanelApp& Get() { return *static_cast<PanelApp*>(fw::App::Current()); }
  using fw::App::Settings;

  // Windows 95 / NT 4 or later: the window is a tool window with a small caption.
  bool newShell = true;

 protected:
  bool InitInstance() override;
  // The part of start-up that comes before the window.
  void StartUp();
};

}  // namespace velpanel
