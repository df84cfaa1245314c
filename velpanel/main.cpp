#include <windows.h>

#include "velpanel/panel_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  velpanel::PanelApp app;
  return app.Run(instance, commandLine);
}
