// Calls a function of a library that no system has, loaded on first use as
// velora loads its own. "/p" asks for the quiet end of velora's preview.
#include <windows.h>

#include <cstring>

#include "framework/delayed_libraries.h"
#include "framework/system_libraries.h"

extern "C" __declspec(dllimport) int MissingFunction();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  fw::RestrictLibrarySearchToSystem();
  fw::SetDelayedLibraryFailure({std::strstr(commandLine, "/p") != nullptr, 0});
  // Never comes back: the library is missing.
  return MissingFunction() + 7;
}
