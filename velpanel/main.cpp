#include <windows.h>

#include "framework/delayed_libraries.h"
#include "framework/system_libraries.h"
#include "velpanel/panel_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  fw::RestrictLibrarySearchToSystem();
  fw::SetDelayedLibraryFailure({false, 1});
  velpanel::PanelApp app(velpanel::SystemProcessStarter());
  return app.Run(instance, commandLine);
}
