// fracsave.scr: the Mandelbrot screen saver.
#include <windows.h>

#include "fracsave/shell/saver_shell.h"
#include "framework/system_libraries.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  // The system's own libraries load others by name (input methods, themes):
  // none of them may come from the saver's folder or the current one.
  fw::RestrictLibrarySearchToSystem();
  return fracsave::SaverEntry(instance, previous, commandLine, show);
}
