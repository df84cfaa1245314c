#pragma once
// What velora loads Media Foundation's libraries with (by default
// fw::LoadSystemLibrary: the system directory only); tests put another loader
// in place (null restores the system's).
#include <windows.h>

namespace velora {

using SystemLibraryLoader = HMODULE (*)(const char* name);
void SetSystemLibraryLoaderForTests(SystemLibraryLoader loader);

}  // namespace velora
