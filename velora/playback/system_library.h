#pragma once
// Loading a library of Windows by its bare name from the system directory
// only: never from the program's folder, the current folder or PATH, where
// anyone could put a library of that name.
#include <windows.h>

namespace velora {

// Null when the system directory holds no such library.
HMODULE LoadSystemLibrary(const char* name);

// What velora loads Media Foundation's libraries with; tests put another
// loader in place (null restores the system's).
using SystemLibraryLoader = HMODULE (*)(const char* name);
void SetSystemLibraryLoaderForTests(SystemLibraryLoader loader);

}  // namespace velora
