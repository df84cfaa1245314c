#pragma once
// The libraries a program loads when it first calls them (see
// cmake/DelayImports.cmake) come from the system directory only, and one that
// cannot be loaded there, or lacks a function, ends the program cleanly
// instead of in an access violation.
#include <windows.h>

#include <string>

namespace fw {

struct DelayedLibraryFailure {
  // No message: for a mode the user does not look at (velora's preview).
  bool quiet = false;
  UINT exitCode = 1;
};

// What a failure does from now on; before the first call, a message and exit code 1.
// The loader calls a plain function, so this is the process's one setting.
void SetDelayedLibraryFailure(DelayedLibraryFailure failure);
// The message's caption: the program's name, which its application object
// gives when it starts ("Velora" before).
void SetDelayedLibraryCaption(std::string caption);

}  // namespace fw
