#include "velora/playback/media_foundation.h"

#include "framework/handles.h"
#include "framework/system_libraries.h"
#include "velora/playback/direct3d_check.h"

namespace velora {

namespace {

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function) {
  function = fw::FindFunction<Function>(library, name);
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
  // Optional: the renderer is used only where the graphics card can draw.
  Resolve(pipeline.get(), "MFCreateVideoRendererActivate", api.CreateVideoRendererActivate);
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

MediaFoundation::MediaFoundation(SystemLibraryLoader loader, ApiTailor tailor, GraphicsCardCheck graphicsCardCheck)
    : loader(loader), tailor(tailor), graphicsCardCheck(graphicsCardCheck) {}

std::shared_ptr<const MediaFoundationApi> MediaFoundation::Acquire() {
  if (api || unavailable) return api;
  // Not make_shared: the C++ library's half of it asks a type's identity at
  // run time, which brings the library's exception machinery into velora.scr.
  std::shared_ptr<MediaFoundationApi> started(new MediaFoundationApi());
  if (!StartPlatform(loader, *started)) {
    unavailable = true;
    return api;
  }
  if (tailor) tailor(*started);
  api = started;
  if (api->CreateVideoRendererActivate) CheckGraphicsCard();
  return api;
}

// The check's answer, kept by the platform and by the check's thread, which
// frees it when the platform went first.
struct MediaFoundation::CardCheck {
  SystemLibraryLoader loader;
  GraphicsCardCheck draws;
  fw::UniqueKernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> answer{false};

  static DWORD WINAPI Run(void* held) {
    const std::shared_ptr<CardCheck> check = *static_cast<std::shared_ptr<CardCheck>*>(held);
    delete static_cast<std::shared_ptr<CardCheck>*>(held);
    check->answer.store(check->draws(check->loader));
    SetEvent(check->done.get());
    return 0;
  }
};

void MediaFoundation::CheckGraphicsCard() {
  if (!graphicsCardCheck) return;
  std::shared_ptr<CardCheck> check(new CardCheck{loader, graphicsCardCheck});
  if (!check->done) return;
  auto* held = new std::shared_ptr<CardCheck>(check);
  fw::UniqueKernelHandle thread(CreateThread(nullptr, 0, CardCheck::Run, held, 0, nullptr));
  if (!thread) {
    delete held;
    return;
  }
  cardCheck = check;
}

bool MediaFoundation::GraphicsCard(DWORD milliseconds) {
  // Started only where the platform has the renderer.
  return cardCheck && WaitForSingleObject(cardCheck->done.get(), milliseconds) == WAIT_OBJECT_0 &&
         cardCheck->answer.load();
}

MediaFoundation& SystemMediaFoundation() {
  static MediaFoundation system(fw::LoadSystemLibrary, nullptr, CardShowsRenderersPictures);
  return system;
}

}  // namespace velora
