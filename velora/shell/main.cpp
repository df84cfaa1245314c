#include <windows.h>

#include "velora/shell/saver_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  velora::SaverApp app;
  app.Run(instance, commandLine);
  // The system and Velpanel start velora in every mode alike and expect 0 back,
  // whatever ended the mode.
  return 0;
}
