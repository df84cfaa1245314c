#include <windows.h>

#include "framework/delayed_libraries.h"
#include "framework/system_libraries.h"
#include "velora/playback/media_foundation_platform.h"
#include "velora/playback/mf_movie.h"
#include "velora/shell/saver_app.h"

namespace {

constexpr DWORD kReleaseWait = 3000;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  fw::RestrictLibrarySearchToSystem();
  // The system and Velpanel start velora in every mode alike and expect 0
  // back, whatever ended the mode, a missing system library included.
  fw::SetDelayedLibraryFailure({false, 0});
  velora::SaverApp app;
  app.Run(instance, commandLine);
  // The movies let go are closed before the process unloads what plays them.
  velora::MfMovie::WaitForReleases(kReleaseWait);
  // So does the graphics card's check, which may hold the display driver.
  velora::SystemMediaFoundation().GraphicsCard(kReleaseWait);
  return 0;
}
