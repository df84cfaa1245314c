// fracsave.scr: the Mandelbrot screen saver.
//
// It keeps the window model of the screen-saver contract it implements rather
// than the framework's message maps: the system's screen-saver settings look
// up ScreenSaverProc, ScreenSaverConfigureDialog and the two password dialog
// procedures by name and call them with raw messages, so they stay plain
// window and dialog procedures over one saver record per window.
#include <windows.h>

#include "fracsave/shell/saver_shell.h"
#include "framework/system_libraries.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  // The system's own libraries load others by name (input methods, themes):
  // none of them may come from the saver's folder or the current one.
  fw::RestrictLibrarySearchToSystem();
  return fracsave::SaverEntry(instance, previous, commandLine, show);
}
