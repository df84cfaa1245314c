#include "system_libraries.h"

namespace fw {

void RestrictLibrarySearchToSystem() {
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  // Looked up rather than imported: older systems lack it and would refuse to start the program.
  auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDirectories) setDirectories(kSearchSystem32);
}

std::string SystemLibraryPath(const char* name) {
  char directory[MAX_PATH] = {};
  UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(directory, length) + "\\" + name;
}

HMODULE LoadSystemLibrary(const char* name) {
  std::string path = SystemLibraryPath(name);
  if (path.empty()) return nullptr;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(path.c_str());
  SetErrorMode(oldMode);
  return library;
}

}  // namespace fw
