// fracsave.scr: the Mandelbrot screen saver.
#include <windows.h>

#include "fracsave/shell/saver_shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  return fracsave::SaverEntry(instance, previous, commandLine, show);
}
