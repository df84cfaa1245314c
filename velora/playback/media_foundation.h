#pragma once
// Media Foundation, loaded on first use: the libraries come only from the
// system directory and every function is looked up by name, so that velora
// starts (and its preview runs) without them, and a Windows edition without
// the media features simply plays every movie on the MCI devices.
// Include this before any other Windows header: Media Foundation's
// declarations need the Windows 7 level.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>

#include <memory>

#include "velora/playback/media_foundation_loader.h"

namespace velora {

// The functions velora calls, resolved from mfplat.dll and mf.dll.
struct MediaFoundationApi {
  HRESULT(WINAPI* CreateMediaType)(IMFMediaType**) = nullptr;
  HRESULT(WINAPI* CreateSourceResolver)(IMFSourceResolver**) = nullptr;
  HRESULT(WINAPI* CreateMediaSession)(IMFAttributes*, IMFMediaSession**) = nullptr;
  HRESULT(WINAPI* CreateTopology)(IMFTopology**) = nullptr;
  HRESULT(WINAPI* CreateTopologyNode)(MF_TOPOLOGY_TYPE, IMFTopologyNode**) = nullptr;
  HRESULT(WINAPI* CreateSampleGrabberSinkActivate)(IMFMediaType*, IMFSampleGrabberSinkCallback*,
                                                   IMFActivate**) = nullptr;
  HRESULT(WINAPI* CreateAudioRendererActivate)(IMFActivate**) = nullptr;
  HRESULT(WINAPI* GetService)(IUnknown*, REFGUID, REFIID, void**) = nullptr;
};

// Media Foundation, started on the first call and kept to the process's end;
// null when it cannot be had (a failed start is not tried again).
class MediaFoundation {
 public:
  static std::shared_ptr<const MediaFoundationApi> Acquire();
};

}  // namespace velora
