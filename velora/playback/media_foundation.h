#pragma once
// Media Foundation's functions, looked up by name in the libraries it was
// started from. Only the files that call them include this; the build gives
// those the Windows 7 level that Media Foundation's declarations need.
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>

#include <atomic>
#include <memory>

#include "velora/playback/media_foundation_platform.h"

namespace velora {

// The functions velora calls, resolved from ole32.dll, mfplat.dll and mf.dll.
struct MediaFoundationApi {
  HRESULT(WINAPI* InitializeCom)(void*, DWORD) = nullptr;
  void(WINAPI* UninitializeCom)() = nullptr;
  HRESULT(WINAPI* CreateMediaType)(IMFMediaType**) = nullptr;
  HRESULT(WINAPI* CreateSourceResolver)(IMFSourceResolver**) = nullptr;
  HRESULT(WINAPI* CreateMediaSession)(IMFAttributes*, IMFMediaSession**) = nullptr;
  HRESULT(WINAPI* CreateTopology)(IMFTopology**) = nullptr;
  HRESULT(WINAPI* CreateTopologyNode)(MF_TOPOLOGY_TYPE, IMFTopologyNode**) = nullptr;
  HRESULT(WINAPI* CreateSampleGrabberSinkActivate)(IMFMediaType*, IMFSampleGrabberSinkCallback*,
                                                   IMFActivate**) = nullptr;
  HRESULT(WINAPI* CreateAudioRendererActivate)(IMFActivate**) = nullptr;
  HRESULT(WINAPI* GetService)(IUnknown*, REFGUID, REFIID, void**) = nullptr;
  // The enhanced video renderer, for a PC whose graphics card can draw the
  // pictures (MediaFoundation::GraphicsCard); null where mf.dll has none.
  HRESULT(WINAPI* CreateVideoRendererActivate)(HWND, IMFActivate**) = nullptr;
  // Set once the renderer could not play a movie after all (its decoders or
  // its device refused): every later movie goes to the sample grabber at once.
  mutable std::atomic<bool> rendererRefused{false};
};

}  // namespace velora
