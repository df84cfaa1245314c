#include "velpanel/panel_app.h"

#include <memory>

#include "velpanel/main_frame.h"

namespace velpanel {

void PanelApp::StartUp() {
  Enable3dControls();
  SetRegistryKey("Orvane Systems");
  newShell = SystemHasNewShell();
}

bool PanelApp::InitInstance() {
  StartUp();
  auto frame = std::make_unique<CMainFrame>();
  // Without its toolbar there is no window and nothing to do.
  if (!frame->CreatePanel()) return false;
  SetMainWindow(frame.release()->SelfDeleting());
  return true;
}

}  // namespace velpanel
