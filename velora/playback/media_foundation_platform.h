#pragma once
// Media Foundation as the players see it: started on first use and kept, so
// that velora starts (and its preview runs) without it, and a Windows edition
// without the media features simply plays every movie on the MCI devices.
#include <windows.h>

#include <memory>

namespace velora {

struct MediaFoundationApi;

// What the platform's libraries are loaded with: by name, from the system
// directory only (fw::LoadSystemLibrary) unless a test gives another.
using SystemLibraryLoader = HMODULE (*)(const char* name);

class MediaFoundation {
 public:
  explicit MediaFoundation(SystemLibraryLoader loader);
  MediaFoundation(const MediaFoundation&) = delete;
  MediaFoundation& operator=(const MediaFoundation&) = delete;

  // Started on the first call and kept, libraries and all; null when it
  // cannot be had (a failed start is not tried again).
  std::shared_ptr<const MediaFoundationApi> Acquire();

 private:
  SystemLibraryLoader loader;
  std::shared_ptr<const MediaFoundationApi> api;
  bool unavailable = false;
};

// The process's one, from the system directory. It lives to the process's
// end: shutting the platform down while its threads still finish reading a
// file would wait on them, or unload code they are running.
MediaFoundation& SystemMediaFoundation();

}  // namespace velora
