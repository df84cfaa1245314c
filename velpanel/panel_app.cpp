#include "velpanel/panel_app.h"

#include <memory>
#include <string>

#include "framework/handles.h"
#include "velpanel/core/panel_command_line.h"

namespace velpanel {

void PanelApp::StartUp() {
  Enable3dControls();
  SetRegistryKey(VELORA_MAKER);
  newShell = SystemHasNewShell();
}

bool PanelApp::InitInstance() {
  StartUp();
  if (AsksForSetup(CommandLine())) {
    StartSetup();
    return false;
  }
  auto frame = std::make_unique<CMainFrame>(Context());
  // Without its toolbar there is no window and nothing to do.
  if (!frame->CreatePanel()) return false;
  SetMainWindow(frame.release()->SelfDeleting());
  return true;
}

void PanelApp::StartSetup() const {
  if (DWORD error = StartUnwatched(starter, *FindLaunchCommand(ID_CONFIG)))
    ShowStartError(nullptr, AppName().c_str(), error);
}

}  // namespace velpanel
