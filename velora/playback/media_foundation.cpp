#include "velora/playback/media_foundation.h"

#include "framework/handles.h"
#include "framework/system_libraries.h"

namespace velora {

namespace {

SystemLibraryLoader libraryLoader = fw::LoadSystemLibrary;

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

// Loads the libraries, finds the functions and starts the platform; false,
// with nothing left loaded or started, when any of it fails.
bool StartPlatform(MediaFoundationApi& api) {
  fw::UniqueLibrary com(libraryLoader("ole32.dll")), platform(libraryLoader("mfplat.dll")),
      pipeline(libraryLoader("mf.dll"));
  if (!com || !platform || !pipeline) return false;
  HRESULT(WINAPI * initializeCom)(void*, DWORD) = nullptr;
  void(WINAPI * uninitializeCom)() = nullptr;
  HRESULT(WINAPI * startup)(ULONG, DWORD) = nullptr;
  if (!Resolve(com.get(), "CoInitializeEx", initializeCom) || !Resolve(com.get(), "CoUninitialize", uninitializeCom) ||
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
  const bool comStarted = SUCCEEDED(initializeCom(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(startup(MF_VERSION, MFSTARTUP_LITE))) {
    if (comStarted) uninitializeCom();
    return false;
  }
  com.release();
  platform.release();
  pipeline.release();
  return true;
}

// Started once and kept, libraries and all, to the process's end: shutting
// the platform down while its threads still finish reading a file would wait
// on them, or unload code they are running; the process's end releases it.
std::shared_ptr<const MediaFoundationApi> platform;
bool unavailable = false;

}  // namespace

void SetSystemLibraryLoaderForTests(SystemLibraryLoader loader) {
  libraryLoader = loader ? loader : fw::LoadSystemLibrary;
  unavailable = false;
}

std::shared_ptr<const MediaFoundationApi> MediaFoundation::Acquire() {
  if (platform || unavailable) return platform;
  auto api = std::make_shared<MediaFoundationApi>();
  if (StartPlatform(*api))
    platform = api;
  else
    unavailable = true;
  return platform;
}

}  // namespace velora
