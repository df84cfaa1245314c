#pragma once
// Velpanel's application object: start-up, the setup switch and the main window.
#include "framework/app.h"
#include "velpanel/launch.h"
#include "velpanel/main_frame.h"

namespace velpanel {

class PanelApp : public fw::App {
 public:
  // The panel starts velora's modes through the starter.
  explicit PanelApp(ProcessStarter& starter) : starter(starter) {}

  // What its window needs from the application; valid once start-up has run.
  PanelContext Context() { return {starter, Settings(), AppName(), newShell}; }

 protected:
  bool InitInstance() override;
  // The part of start-up that comes before the window.
  void StartUp();

 private:
  // The setup switch: velora's setup, started like the Configure button's.
  void StartSetup() const;

  ProcessStarter& starter;
  // Windows 95 / NT 4 or later.
  bool newShell = true;
};

}  // namespace velpanel
