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

// Whether a library is loaded by name, for the activation context of the
// program's manifest to find it: the common controls, whose version 6 lives in
// the system's side-by-side store (by full path the system directory's
// version 5 would come, and its image lists do not work with the dialogs'
// version 6 controls). The manifest names it, so no other folder is searched.
bool LoadedFromSideBySideStore(const char* library);

// What a failure does from now on; before the first call, a message and exit code 1.
// The loader calls a plain function, so this is the process's one setting.
void SetDelayedLibraryFailure(DelayedLibraryFailure failure);
// The message's caption: the program's name, which its application object
// gives when it starts ("Velora" before).
void SetDelayedLibraryCaption(std::string caption);

}  // namespace fw
