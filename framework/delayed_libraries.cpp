#include "delayed_libraries.h"

#include <delayimp.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "system_libraries.h"

namespace fw {

namespace {

DelayedLibraryFailure policy;
std::string caption = "Velora";

[[noreturn]] void EndForMissingLibrary(const char* library, const char* function) {
  if (!policy.quiet) {
    std::string text = "The program cannot go on: ";
    text += function ? "the function " + std::string(function) + " of the system library " : "the system library ";
    text += std::string(library) + (function ? " could not be found." : " could not be loaded.");
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  }
  std::exit(static_cast<int>(policy.exitCode));
}

FARPROC WINAPI BeforeLoading(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary) return nullptr;
  // Else by full path, so that no other folder is ever searched, on any system.
  HMODULE library = LoadedFromSideBySideStore(info->szDll) ? LoadLibraryA(info->szDll) : LoadSystemLibrary(info->szDll);
  if (!library) EndForMissingLibrary(info->szDll, nullptr);
  return reinterpret_cast<FARPROC>(library);
}

FARPROC WINAPI OnFailure(unsigned notification, PDelayLoadInfo info) {
  const char* function = nullptr;
  std::string ordinal;
  if (notification == dliFailGetProc) {
    if (info->dlp.fImportByName) {
      function = info->dlp.szProcName;
    } else {
      ordinal = "#" + std::to_string(info->dlp.dwOrdinal);
      function = ordinal.c_str();
    }
  }
  EndForMissingLibrary(info->szDll, function);
}

}  // namespace

bool LoadedFromSideBySideStore(const char* library) { return library && lstrcmpiA(library, "comctl32.dll") == 0; }

void SetDelayedLibraryFailure(DelayedLibraryFailure failure) { policy = failure; }

void SetDelayedLibraryCaption(std::string name) { caption = std::move(name); }

}  // namespace fw

// The delay-load helper of the C runtime calls these.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = &fw::BeforeLoading;
PfnDliHook __pfnDliFailureHook2 = &fw::OnFailure;
}
