#include "velora/playback/system_library.h"

#include <string>

namespace velora {

HMODULE LoadSystemLibrary(const char* name) {
  // Systems that know LOAD_LIBRARY_SEARCH_SYSTEM32 say so by exporting AddDllDirectory.
  if (GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddDllDirectory"))
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  char directory[MAX_PATH];
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryA((std::string(directory, length) + "\\" + name).c_str());
}

}  // namespace velora
