// The smallest honest Media Foundation player, the yardstick for velora's
// MP4 start-up: a black, topmost, full-screen popup that plays one movie,
// centred at its own size, through a media session whose video goes to a
// sample grabber in 32-bit RGB; each frame is drawn with StretchDIBits. The
// grabber passes frames on as decoded and each waits for its time from the
// first one on, as velora's do.
// No settings, no playlist file, no framework, libraries linked as usual.
// Usage: minimal_mf_player.exe [/mute] <movie path>
// Exit code 0 when the movie ended, 1 when it could not be played.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>

#include <cstring>
#include <vector>

#include "static_grabber_callback.h"

namespace {

constexpr UINT kFrameMessage = WM_APP + 1;
constexpr UINT kEndedMessage = WM_APP + 2;

HWND window;
int movieW, movieH, exitCode = 1;
CRITICAL_SECTION lock;
std::vector<BYTE> latest, shown;
LONG framePosted;

// Frames and session events, both from Media Foundation's threads.
class Callback : public StaticGrabberCallback, public IMFAsyncCallback {
 public:
  IMFMediaSession* session = nullptr;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMFSampleGrabberSinkCallback || iid == IID_IMFClockStateSink)
      *out = static_cast<IMFSampleGrabberSinkCallback*>(this);
    else if (iid == IID_IMFAsyncCallback)
      *out = static_cast<IMFAsyncCallback*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  // Both bases count through these.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnProcessSample(REFGUID, DWORD, LONGLONG time, LONGLONG, const BYTE* data, DWORD size) override {
    static LONGLONG firstTime;
    static DWORD firstAt;
    if (!firstAt) {
      firstTime = time;
      firstAt = GetTickCount() | 1;
    }
    const LONGLONG due = (time - firstTime) / 10000 - static_cast<LONGLONG>(GetTickCount() - firstAt);
    if (due > 0) Sleep(static_cast<DWORD>(due));
    EnterCriticalSection(&lock);
    latest.assign(data, data + size);
    LeaveCriticalSection(&lock);
    if (InterlockedExchange(&framePosted, 1) == 0) PostMessageA(window, kFrameMessage, 0, 0);
    return S_OK;
  }
  STDMETHODIMP GetParameters(DWORD*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(IMFAsyncResult* result) override {
    IMFMediaEvent* event = nullptr;
    if (FAILED(session->EndGetEvent(result, &event))) return S_OK;
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    event->GetType(&type);
    event->GetStatus(&status);
    event->Release();
    if (type == MESessionEnded || FAILED(status)) {
      PostMessageA(window, kEndedMessage, type == MESessionEnded && SUCCEEDED(status), 0);
      return S_OK;
    }
    session->BeginGetEvent(this, nullptr);
    return S_OK;
  }
} callback;

void DrawFrame() {
  InterlockedExchange(&framePosted, 0);
  EnterCriticalSection(&lock);
  shown.swap(latest);
  LeaveCriticalSection(&lock);
  if (shown.size() < static_cast<size_t>(movieW) * movieH * 4) return;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), movieW, -movieH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(window);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - movieW) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - movieH) / 2;
  StretchDIBits(dc, x, y, movieW, movieH, 0, 0, movieW, movieH, shown.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window, dc);
}

LRESULT CALLBACK PlayerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kFrameMessage:
      DrawFrame();
      return 0;
    case kEndedMessage:
      exitCode = wParam ? 0 : 1;
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

IMFTopologyNode* Node(MF_TOPOLOGY_TYPE type) {
  IMFTopologyNode* node = nullptr;
  MFCreateTopologyNode(type, &node);
  return node;
}

// Source, video to the grabber, sound to the audio renderer unless muted.
IMFTopology* BuildTopology(IMFMediaSource* source, IMFPresentationDescriptor* presentation, bool mute) {
  IMFTopology* topology = nullptr;
  MFCreateTopology(&topology);
  DWORD count = 0;
  presentation->GetStreamDescriptorCount(&count);
  for (DWORD i = 0; i < count; ++i) {
    BOOL selected = FALSE;
    IMFStreamDescriptor* stream = nullptr;
    presentation->GetStreamDescriptorByIndex(i, &selected, &stream);
    IMFMediaTypeHandler* handler = nullptr;
    stream->GetMediaTypeHandler(&handler);
    GUID major{};
    handler->GetMajorType(&major);
    IMFActivate* sink = nullptr;
    if (major == MFMediaType_Video && movieW == 0) {
      IMFMediaType* current = nullptr;
      handler->GetCurrentMediaType(&current);
      UINT64 size = 0;
      current->GetUINT64(MF_MT_FRAME_SIZE, &size);
      current->Release();
      movieW = static_cast<int>(size >> 32);
      movieH = static_cast<int>(size & 0xffffffff);
      IMFMediaType* rgb = nullptr;
      MFCreateMediaType(&rgb);
      rgb->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
      rgb->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32);
      MFCreateSampleGrabberSinkActivate(rgb, &callback, &sink);
      sink->SetUINT32(MF_SAMPLEGRABBERSINK_IGNORE_CLOCK, TRUE);
      rgb->Release();
    } else if (major == MFMediaType_Audio && !mute) {
      MFCreateAudioRendererActivate(&sink);
    }
    handler->Release();
    if (!sink) {
      presentation->DeselectStream(i);
      stream->Release();
      continue;
    }
    IMFTopologyNode* from = Node(MF_TOPOLOGY_SOURCESTREAM_NODE);
    from->SetUnknown(MF_TOPONODE_SOURCE, source);
    from->SetUnknown(MF_TOPONODE_PRESENTATION_DESCRIPTOR, presentation);
    from->SetUnknown(MF_TOPONODE_STREAM_DESCRIPTOR, stream);
    IMFTopologyNode* to = Node(MF_TOPOLOGY_OUTPUT_NODE);
    to->SetObject(sink);
    topology->AddNode(from);
    topology->AddNode(to);
    from->ConnectOutput(0, to, 0);
    from->Release();
    to->Release();
    sink->Release();
    stream->Release();
  }
  return topology;
}

// The movie path is the rest of the command line, quotes removed.
void MoviePath(const char* commandLine, wchar_t* path, int size) {
  char narrow[MAX_PATH];
  size_t n = 0;
  while (*commandLine == ' ') ++commandLine;
  for (; *commandLine && n + 1 < sizeof narrow; ++commandLine)
    if (*commandLine != '"') narrow[n++] = *commandLine;
  while (n > 0 && narrow[n - 1] == ' ') --n;
  narrow[n] = '\0';
  MultiByteToWideChar(CP_ACP, 0, narrow, -1, path, size);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool mute = std::strncmp(commandLine, "/mute ", 6) == 0;
  wchar_t path[MAX_PATH];
  MoviePath(mute ? commandLine + 6 : commandLine, path, MAX_PATH);
  InitializeCriticalSection(&lock);

  WNDCLASSA wc{};
  wc.lpfnWndProc = PlayerProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "MinimalMfPlayer";
  RegisterClassA(&wc);
  window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Minimal player", WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           instance, nullptr);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!window || FAILED(MFStartup(MF_VERSION, MFSTARTUP_LITE))) return 1;

  IMFSourceResolver* resolver = nullptr;
  IUnknown* object = nullptr;
  IMFMediaSource* source = nullptr;
  IMFPresentationDescriptor* presentation = nullptr;
  MF_OBJECT_TYPE objectType = MF_OBJECT_INVALID;
  MFCreateSourceResolver(&resolver);
  if (FAILED(resolver->CreateObjectFromURL(path, MF_RESOLUTION_MEDIASOURCE, nullptr, &objectType, &object)))
    return 1;
  object->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(&source));
  source->CreatePresentationDescriptor(&presentation);
  IMFTopology* topology = BuildTopology(source, presentation, mute);

  MFCreateMediaSession(nullptr, &callback.session);
  callback.session->SetTopology(0, topology);
  callback.session->BeginGetEvent(&callback, nullptr);
  PROPVARIANT start;
  PropVariantInit(&start);
  callback.session->Start(&GUID_NULL, &start);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  callback.session->Shutdown();
  source->Shutdown();
  return exitCode;
}
