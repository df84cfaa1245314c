#include <windows.h>

#include "velora/shell/saver_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  velora::SaverApp app;
  return app.Run(instance, commandLine);
}
