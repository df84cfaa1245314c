#include "velora/playback/media_foundation.h"

#include "framework/handles.h"
#include "velora/playback/system_library.h"

namespace velora {

namespace {

SystemLibraryLoader libraryLoader = LoadSystemLibrary;

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

// The platform while someone holds it: libraries, functions, start-up.
class Platform : public MediaFoundationApi {
 public:
  bool Start() {
    com.reset(libraryLoader("ole32.dll"));
    platform.reset(libraryLoader("mfplat.dll"));
    pipeline.reset(libraryLoader("mf.dll"));
    if (!com || !platform || !pipeline) return false;
    HRESULT(WINAPI * startup)(ULONG, DWORD) = nullptr;
    HRESULT(WINAPI * initializeCom)(void*, DWORD) = nullptr;
    if (!Resolve(com.get(), "CoInitializeEx", initializeCom) || !Resolve(com.get(), "CoUninitialize", uninitializeCom) ||
        !Resolve(platform.get(), "MFStartup", startup) || !Resolve(platform.get(), "MFShutdown", shutdown) ||
        !Resolve(platform.get(), "MFCreateMediaType", CreateMediaType) ||
        !Resolve(platform.get(), "MFCreateSourceResolver", CreateSourceResolver) ||
        !Resolve(pipeline.get(), "MFCreateMediaSession", CreateMediaSession) ||
        !Resolve(pipeline.get(), "MFCreateTopology", CreateTopology) ||
        !Resolve(pipeline.get(), "MFCreateTopologyNode", CreateTopologyNode) ||
        !Resolve(pipeline.get(), "MFCreateSampleGrabberSinkActivate", CreateSampleGrabberSinkActivate) ||
        !Resolve(pipeline.get(), "MFCreateAudioRendererActivate", CreateAudioRendererActivate) ||
        !Resolve(pipeline.get(), "MFGetService", GetService))
      return false;
    // The source resolver finds its file readers through COM.
    comStarted = SUCCEEDED(initializeCom(nullptr, COINIT_APARTMENTTHREADED));
    started = SUCCEEDED(startup(MF_VERSION, MFSTARTUP_LITE));
    return started;
  }
  ~Platform() {
    if (started) shutdown();
    if (comStarted) uninitializeCom();
  }

 private:
  fw::UniqueLibrary com, platform, pipeline;
  HRESULT(WINAPI* shutdown)() = nullptr;
  void(WINAPI* uninitializeCom)() = nullptr;
  bool started = false, comStarted = false;
};

std::weak_ptr<Platform> current;
bool unavailable = false;

}  // namespace

void SetSystemLibraryLoaderForTests(SystemLibraryLoader loader) {
  libraryLoader = loader ? loader : LoadSystemLibrary;
  unavailable = false;
}

std::shared_ptr<const MediaFoundationApi> MediaFoundation::Acquire() {
  if (auto held = current.lock()) return held;
  if (unavailable) return nullptr;
  auto platform = std::make_shared<Platform>();
  if (!platform->Start()) {
    unavailable = true;
    return nullptr;
  }
  current = platform;
  return platform;
}

}  // namespace velora
