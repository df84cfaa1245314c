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
// What a test changes of the platform's functions once it started (a
// stand-in for the graphics card's renderer, say).
using ApiTailor = void (*)(MediaFoundationApi& api);
// Whether the graphics card can draw Media Foundation's pictures: the
// system's own check is CardShowsRenderersPictures (direct3d_check.h);
// without one, velora draws every picture.
using GraphicsCardCheck = bool (*)(SystemLibraryLoader loader);

class MediaFoundation {
 public:
  explicit MediaFoundation(SystemLibraryLoader loader, ApiTailor tailor = nullptr,
                           GraphicsCardCheck graphicsCardCheck = nullptr);
  MediaFoundation(const MediaFoundation&) = delete;
  MediaFoundation& operator=(const MediaFoundation&) = delete;

  // Started on the first call and kept, libraries and all; null when it
  // cannot be had (a failed start is not tried again).
  std::shared_ptr<const MediaFoundationApi> Acquire();
  // Whether the graphics card can draw Media Foundation's pictures. Found
  // out on a thread of its own from the platform's start, alongside the
  // reading of the first file (making a Direct3D device can take a good part
  // of a second); waits for the answer at most `milliseconds`, else false.
  bool GraphicsCard(DWORD milliseconds);

 private:
  struct CardCheck;
  // Starts the graphics card's check on a thread of its own.
  void CheckGraphicsCard();

  SystemLibraryLoader loader;
  ApiTailor tailor;
  GraphicsCardCheck graphicsCardCheck;
  std::shared_ptr<const MediaFoundationApi> api;
  bool unavailable = false;
  std::shared_ptr<CardCheck> cardCheck;
};

// The process's one, from the system directory. It lives to the process's
// end: shutting the platform down while its threads still finish reading a
// file would wait on them, or unload code they are running.
MediaFoundation& SystemMediaFoundation();

}  // namespace velora
