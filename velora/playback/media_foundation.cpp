#include "velora/playback/media_foundation.h"

#include "framework/handles.h"
#include "framework/system_libraries.h"

namespace velora {

namespace {

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

// Loads the libraries, finds the functions and starts the platform; false,
// with nothing left loaded or started, when any of it fails.
bool StartPlatform(SystemLibraryLoader loader, MediaFoundationApi& api) {
  fw::UniqueLibrary com(loader("ole32.dll")), platform(loader("mfplat.dll")), pipeline(loader("mf.dll"));
  if (!com || !platform || !pipeline) return false;
  HRESULT(WINAPI * startup)(ULONG, DWORD) = nullptr;
  if (!Resolve(com.get(), "CoInitializeEx", api.InitializeCom) ||
      !Resolve(com.get(), "CoUninitialize", api.UninitializeCom) ||
      !Resolve(platform.get(), "MFStartup", startup) ||
      !Resolve(platform.get(), "MFCreateMediaType", api.CreateMediaType) ||
      !Resolve(platform.get(), "MFCreateSourceResolver", api.CreateSourceResolver) ||
      !Resolve(pipeline.get(), "MFCreateMediaSession", api.CreateMediaSession) ||
      !Resolve(pipeline.get(), "MFCreateTopology", api.CreateTopology) ||
      !Resolve(pipeline.get(), "MFCreateTopologyNode", api.CreateTopologyNode) ||
      !Resolve(pipeline.get(), "MFCreateSampleGrabberSinkActivate", api.CreateSampleGrabberSinkActivate) ||
      !Resolve(pipeline.get(), "MFCreateAudioRendererActivate", api.CreateAudioRendererActivate) ||
      !Resolve(pipeline.get(), "MFGetService", api.GetService))
    return false;
  // The source resolver finds its file readers through COM.
  const bool comStarted = SUCCEEDED(api.InitializeCom(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(startup(MF_VERSION, MFSTARTUP_LITE))) {
    if (comStarted) api.UninitializeCom();
    return false;
  }
  com.release();
  platform.release();
  pipeline.release();
  return true;
}

}  // namespace

MediaFoundation::MediaFoundation(SystemLibraryLoader loader) : loader(loader) {}

std::shared_ptr<const MediaFoundationApi> MediaFoundation::Acquire() {
  if (api || unavailable) return api;
  // Not make_shared: the C++ library's half of it asks a type's identity at
  // run time, which brings the library's exception machinery into velora.scr.
  std::shared_ptr<MediaFoundationApi> started(new MediaFoundationApi());
  if (StartPlatform(loader, *started))
    api = started;
  else
    unavailable = true;
  return api;
}

MediaFoundation& SystemMediaFoundation() {
  static MediaFoundation system(fw::LoadSystemLibrary);
  return system;
}

}  // namespace velora
