#pragma once
// The libraries a program loads when it first calls them (see
// cmake/DelayImports.cmake) come from the system directory only, and one that
// cannot be loaded there, or lacks a function, ends the program cleanly
// instead of in an access violation.
#include <windows.h>

namespace fw {

struct DelayedLibraryFailure {
  // No message: for a mode the user does not look at (velora's preview).
  bool quiet = false;
  UINT exitCode = 1;
};

// What a failure does from now on; before the first call, a message and exit code 1.
void SetDelayedLibraryFailure(DelayedLibraryFailure failure);

}  // namespace fw
