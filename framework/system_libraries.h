#pragma once
// Where the programs take system libraries from. A library put beside a
// program, in the current folder or on PATH under a system library's name
// (one the system lacks, or one loaded by bare name) must never run inside it.
#include <windows.h>

#include <string>

namespace fw {

// From now on a library loaded by bare name comes from the system directory
// only. The first thing each program does; systems without the call (before
// Windows 8 and its update for Windows 7) keep their usual search.
void RestrictLibrarySearchToSystem();

// "<system directory>\<name>".
std::string SystemLibraryPath(const char* name);
// Loads the library from the system directory only; nullptr when it is not
// there, without a system error box.
HMODULE LoadSystemLibrary(const char* name);

// A function of a loaded library, by name and of the given type; null when
// the library has none of that name.
template <typename Function>
Function FindFunction(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace fw
