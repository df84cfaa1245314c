// Whether the enhanced video renderer can show an MP4 here: a Direct3D 9
// device on a window of its own first, then a media session whose video goes
// to the EVR (no sound), its picture placed at a rectangle of the window with
// no aspect correction. Prints each step's HRESULT, the time to the session's
// start, what the renderer hands back as its current picture and its frame
// counts, and the process's CPU use over the measured stretch. The windows'
// own colour is dark blue, so a screenshot tells the renderer's picture
// (inside the rectangle) from what it must leave alone (outside).
// The renderer draws into the full-screen window itself, into a child window
// at the rectangle (--child), or into a popup there that the window owns
// (--popup). --source-type-as-is leaves the source's first picture format.
// Usage: evr_probe.exe [--rect X,Y,W,H] [--child | --popup] [--no-d3d-check]
//                      [--source-type-as-is] [--shot S] [--measure S] <movie path>
// Prints "screenshot now" S seconds after the start; exits after the measure.
// Exit code 0 when the session started, 1 otherwise.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <d3d9.h>
#include <evr.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <amvideo.h>
#include <initguid.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "timing.h"

namespace {

// Not in MinGW's import libraries.
DEFINE_GUID(kVideoRenderService, 0x1092a86c, 0xab1a, 0x459a, 0xa3, 0x36, 0x83, 0x1f, 0xbc, 0x4d, 0x11, 0xff);
DEFINE_GUID(kIidVideoDisplayControl, 0xa490b1e4, 0xab84, 0x4d31, 0xa1, 0xb2, 0x18, 0x1e, 0x03, 0xb1, 0x07, 0x7a);
DEFINE_GUID(kIidQualProp, 0x1bd0ecb0, 0xf8e2, 0x11ce, 0xaa, 0xc6, 0x00, 0x20, 0xaf, 0x0b, 0x99, 0xa3);
DEFINE_GUID(kIidQualityAdvise, 0xec15e2e9, 0xe36b, 0x4f7c, 0x87, 0x58, 0x77, 0xd4, 0x52, 0xef, 0x4c, 0xe7);

constexpr UINT kReadyMessage = WM_APP + 1;
constexpr UINT kStartedMessage = WM_APP + 2;
constexpr UINT kFailedMessage = WM_APP + 3;
constexpr UINT_PTR kShotTimer = 1, kMeasureTimer = 2;

HWND window, videoWindow;
RECT target = {100, 50, 740, 410};
int shotSeconds = 3, measureSeconds = 10;
double startAt;
CRITICAL_SECTION printLock;
IMFActivate* rendererActivate;

void Say(const char* format, ...) {
  EnterCriticalSection(&printLock);
  std::printf("[%7.0f ms] ", startAt ? bench::NowMs() - startAt : 0.0);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
  LeaveCriticalSection(&printLock);
}

// A windowed Direct3D 9 device, as the renderer's presenter would make one;
// d3d9.dll loaded here so that its absence is an answer too.
// Its own small window: a device leaves its pixel format on a window, and
// the renderer's device then cannot set its own there.
bool ProbeDirect3D(HWND window) {
  HMODULE d3d9 = LoadLibraryA("d3d9.dll");
  Say("LoadLibrary(d3d9.dll): %s", d3d9 ? "loaded" : "missing");
  if (!d3d9) return false;
  using Create9 = IDirect3D9*(WINAPI*)(UINT);
  using Create9Ex = HRESULT(WINAPI*)(UINT, IDirect3D9Ex**);
  const auto create9 = reinterpret_cast<Create9>(reinterpret_cast<void*>(GetProcAddress(d3d9, "Direct3DCreate9")));
  const auto create9Ex =
      reinterpret_cast<Create9Ex>(reinterpret_cast<void*>(GetProcAddress(d3d9, "Direct3DCreate9Ex")));
  IDirect3D9* d3d = create9 ? create9(D3D_SDK_VERSION) : nullptr;
  Say("Direct3DCreate9: %s", d3d ? "object" : "null");
  if (!d3d) return false;
  Say("GetAdapterCount: %u", d3d->GetAdapterCount());
  D3DADAPTER_IDENTIFIER9 id{};
  HRESULT hr = d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id);
  Say("GetAdapterIdentifier: 0x%08lx \"%s\" driver \"%s\" vendor 0x%04lx device 0x%04lx", hr, id.Description,
      id.Driver, id.VendorId, id.DeviceId);
  D3DCAPS9 caps{};
  hr = d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
  Say("GetDeviceCaps(HAL): 0x%08lx", hr);
  D3DDISPLAYMODE mode{};
  hr = d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
  Say("GetAdapterDisplayMode: 0x%08lx %ux%u format %d", hr, mode.Width, mode.Height, mode.Format);

  D3DPRESENT_PARAMETERS params{};
  params.Windowed = TRUE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  params.hDeviceWindow = window;
  IDirect3DDevice9* device = nullptr;
  hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                         &device);
  Say("CreateDevice(HAL, windowed, software vertex processing): 0x%08lx", hr);
  const bool works = SUCCEEDED(hr) && device;
  if (device) device->Release();
  d3d->Release();

  // The renderer's presenter asks for the Ex flavour.
  IDirect3D9Ex* d3dEx = nullptr;
  hr = create9Ex ? create9Ex(D3D_SDK_VERSION, &d3dEx) : E_NOTIMPL;
  Say("Direct3DCreate9Ex: 0x%08lx", hr);
  if (d3dEx) {
    params = D3DPRESENT_PARAMETERS{};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.BackBufferFormat = D3DFMT_UNKNOWN;
    params.hDeviceWindow = window;
    IDirect3DDevice9Ex* deviceEx = nullptr;
    hr = d3dEx->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &params, nullptr, &deviceEx);
    Say("CreateDeviceEx(HAL, windowed, software vertex processing): 0x%08lx", hr);
    if (deviceEx) deviceEx->Release();
    d3dEx->Release();
  }
  return works;
}

class Events : public IMFAsyncCallback {
 public:
  IMFMediaSession* session = nullptr;
  HANDLE closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IMFAsyncCallback) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetParameters(DWORD*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(IMFAsyncResult* result) override {
    IMFMediaEvent* event = nullptr;
    HRESULT hr = session->EndGetEvent(result, &event);
    if (FAILED(hr)) {
      Say("EndGetEvent: 0x%08lx", hr);
      return S_OK;
    }
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    event->GetType(&type);
    event->GetStatus(&status);
    UINT32 topologyStatus = 0;
    if (type == MESessionTopologyStatus) {
      event->GetUINT32(MF_EVENT_TOPOLOGY_STATUS, &topologyStatus);
      Say("event MESessionTopologyStatus status 0x%08lx topology status %u", status, topologyStatus);
    } else {
      Say("event %lu status 0x%08lx", type, status);
    }
    event->Release();
    if (type == MESessionTopologyStatus && topologyStatus == MF_TOPOSTATUS_READY)
      PostMessageA(window, kReadyMessage, 0, 0);
    if (type == MESessionStarted && SUCCEEDED(status)) PostMessageA(window, kStartedMessage, 0, 0);
    // Only these end a session; other failures are reported and played through.
    if (type == MEError || (type == MESessionStarted && FAILED(status)) || type == MESessionEnded)
      PostMessageA(window, kFailedMessage, 0, 0);
    if (type == MESessionClosed) SetEvent(closed);
    else session->BeginGetEvent(this, nullptr);
    return S_OK;
  }
} events;

IMFTopologyNode* Node(MF_TOPOLOGY_TYPE type) {
  IMFTopologyNode* node = nullptr;
  MFCreateTopologyNode(type, &node);
  return node;
}

const char* SubtypeName(const GUID& subtype) {
  static char name[5];
  if (subtype == MFVideoFormat_RGB32) return "RGB32";
  if (subtype == MFVideoFormat_ARGB32) return "ARGB32";
  std::memcpy(name, &subtype.Data1, 4);
  return name;
}

// Wine's renderer takes only NV12, YUY2 and 32-bit RGB, and only from a type
// that says its samples stand alone, which the source's types do and the
// converters the topology loader would put between do not: so the source is
// asked for one of those itself.
bool pickSourceType = true;
bool checkDirect3D = true;
bool child = false, popup = false;

void PickSourceType(IMFMediaTypeHandler* handler) {
  static const GUID* const wanted[] = {&MFVideoFormat_NV12, &MFVideoFormat_YUY2, &MFVideoFormat_RGB32,
                                       &MFVideoFormat_ARGB32};
  DWORD count = 0;
  handler->GetMediaTypeCount(&count);
  IMFMediaType* best = nullptr;
  size_t bestRank = sizeof wanted / sizeof *wanted;
  for (DWORD t = 0; t < count; ++t) {
    IMFMediaType* type = nullptr;
    if (FAILED(handler->GetMediaTypeByIndex(t, &type))) continue;
    GUID subtype{};
    type->GetGUID(MF_MT_SUBTYPE, &subtype);
    UINT32 independent = 0;
    type->GetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, &independent);
    Say("  source type %lu: %s, samples independent %u", t, SubtypeName(subtype), independent);
    for (size_t rank = 0; rank < bestRank; ++rank) {
      if (subtype != *wanted[rank]) continue;
      if (best) best->Release();
      best = type;
      type->AddRef();
      bestRank = rank;
    }
    type->Release();
  }
  if (!best) {
    Say("  no source type the renderer takes");
    return;
  }
  GUID subtype{};
  best->GetGUID(MF_MT_SUBTYPE, &subtype);
  Say("  SetCurrentMediaType(%s): 0x%08lx", SubtypeName(subtype), handler->SetCurrentMediaType(best));
  best->Release();
}

// The first video stream to the renderer; every other stream deselected.
IMFTopology* BuildTopology(IMFMediaSource* source, IMFPresentationDescriptor* presentation) {
  IMFTopology* topology = nullptr;
  MFCreateTopology(&topology);
  DWORD count = 0;
  presentation->GetStreamDescriptorCount(&count);
  bool haveVideo = false;
  for (DWORD i = 0; i < count; ++i) {
    BOOL selected = FALSE;
    IMFStreamDescriptor* stream = nullptr;
    presentation->GetStreamDescriptorByIndex(i, &selected, &stream);
    IMFMediaTypeHandler* handler = nullptr;
    stream->GetMediaTypeHandler(&handler);
    GUID major{};
    handler->GetMajorType(&major);
    if (major != MFMediaType_Video || haveVideo || !rendererActivate) {
      handler->Release();
      presentation->DeselectStream(i);
      Say("stream %lu deselected (%s)", i, major == MFMediaType_Audio ? "audio" : "other");
      stream->Release();
      continue;
    }
    haveVideo = true;
    if (pickSourceType) PickSourceType(handler);
    IMFTopologyNode* from = Node(MF_TOPOLOGY_SOURCESTREAM_NODE);
    from->SetUnknown(MF_TOPONODE_SOURCE, source);
    from->SetUnknown(MF_TOPONODE_PRESENTATION_DESCRIPTOR, presentation);
    from->SetUnknown(MF_TOPONODE_STREAM_DESCRIPTOR, stream);
    IMFTopologyNode* to = Node(MF_TOPOLOGY_OUTPUT_NODE);
    to->SetObject(rendererActivate);
    topology->AddNode(from);
    topology->AddNode(to);
    const HRESULT hr = from->ConnectOutput(0, to, 0);
    Say("stream %lu (video) to the enhanced video renderer: 0x%08lx", i, hr);
    handler->Release();
    from->Release();
    to->Release();
    stream->Release();
  }
  return topology;
}

IMFVideoDisplayControl* display;

// Once the renderer exists: its window, no aspect correction, our rectangle.
void PlacePicture() {
  HRESULT hr = MFGetService(events.session, kVideoRenderService, kIidVideoDisplayControl,
                            reinterpret_cast<void**>(&display));
  Say("MFGetService(IMFVideoDisplayControl): 0x%08lx", hr);
  if (!display) return;
  HWND current = nullptr;
  hr = display->GetVideoWindow(&current);
  Say("GetVideoWindow: 0x%08lx %s", hr, current == videoWindow ? "ours" : current ? "another" : "none");
  if (current != videoWindow) Say("SetVideoWindow: 0x%08lx", display->SetVideoWindow(videoWindow));
  Say("SetAspectRatioMode(None): 0x%08lx", display->SetAspectRatioMode(MFVideoARMode_None));
  Say("SetVideoPosition(full source, %ld,%ld %ldx%ld): 0x%08lx", target.left, target.top,
      target.right - target.left, target.bottom - target.top, display->SetVideoPosition(nullptr, &target));
  MFVideoNormalizedRect source{};
  RECT dest{};
  hr = display->GetVideoPosition(&source, &dest);
  Say("GetVideoPosition: 0x%08lx source %.2f,%.2f-%.2f,%.2f dest %ld,%ld-%ld,%ld", hr, source.left, source.top,
      source.right, source.bottom, dest.left, dest.top, dest.right, dest.bottom);
  SIZE native{}, aspect{};
  hr = display->GetNativeVideoSize(&native, &aspect);
  Say("GetNativeVideoSize: 0x%08lx %ldx%ld aspect %ld:%ld", hr, native.cx, native.cy, aspect.cx, aspect.cy);
}

void CurrentImage() {
  if (!display) return;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  BYTE* bits = nullptr;
  DWORD size = 0;
  LONGLONG time = 0;
  const HRESULT hr = display->GetCurrentImage(&header, &bits, &size, &time);
  if (SUCCEEDED(hr) && bits && header.biBitCount == 32 && header.biWidth > 0) {
    const LONG h = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const BYTE* p = bits + (static_cast<size_t>(h / 2) * header.biWidth + header.biWidth / 2) * 4;
    Say("GetCurrentImage: 0x%08lx %ldx%ld %u bpp, %lu bytes, time %.3f s, centre RGB %u,%u,%u", hr, header.biWidth,
        header.biHeight, header.biBitCount, size, time / 1e7, p[2], p[1], p[0]);
  } else {
    Say("GetCurrentImage: 0x%08lx %ldx%ld %u bpp, %lu bytes", hr, header.biWidth, header.biHeight,
        header.biBitCount, size);
  }
  if (bits) CoTaskMemFree(bits);
}

// The renderer's frame counts, wherever it offers them: through the session's
// service, on the presenter, on the media sink.
IQualProp* quality;

// The frame counts and quality advice `on` offers, said as `name`; the first
// IQualProp found is kept.
void AskQuality(IUnknown* on, const char* name) {
  IQualProp* counts = nullptr;
  HRESULT hr = on->QueryInterface(kIidQualProp, reinterpret_cast<void**>(&counts));
  Say("%s QueryInterface(IQualProp): 0x%08lx", name, hr);
  if (!quality) quality = counts;
  else if (counts) counts->Release();
  IUnknown* advise = nullptr;
  hr = on->QueryInterface(kIidQualityAdvise, reinterpret_cast<void**>(&advise));
  Say("%s QueryInterface(IMFQualityAdvise): 0x%08lx", name, hr);
  if (advise) advise->Release();
}

void FindFrameCounts() {
  HRESULT hr = MFGetService(events.session, kVideoRenderService, kIidQualProp,
                            reinterpret_cast<void**>(&quality));
  Say("MFGetService(IQualProp): 0x%08lx", hr);
  if (display) AskQuality(display, "presenter");
  IMFMediaSink* sink = nullptr;
  hr = rendererActivate->ActivateObject(IID_IMFMediaSink, reinterpret_cast<void**>(&sink));
  Say("renderer activate ActivateObject(IMFMediaSink): 0x%08lx", hr);
  if (sink) {
    AskQuality(sink, "media sink");
    sink->Release();
  }
}

struct Counts {
  int drawn = -1, dropped = -1, rate = -1, jitter = -1;
  HRESULT hrDrawn = E_POINTER, hrDropped = E_POINTER, hrRate = E_POINTER, hrJitter = E_POINTER;
};

Counts ReadCounts() {
  Counts c;
  if (!quality) return c;
  c.hrDrawn = quality->get_FramesDrawn(&c.drawn);
  c.hrDropped = quality->get_FramesDroppedInRenderer(&c.dropped);
  c.hrRate = quality->get_AvgFrameRate(&c.rate);
  c.hrJitter = quality->get_Jitter(&c.jitter);
  return c;
}

void SayCounts(const char* when, const Counts& c) {
  Say("IQualProp %s: drawn %d (0x%08lx) dropped %d (0x%08lx) average rate %d/100 (0x%08lx) jitter %d (0x%08lx)", when,
      c.drawn, c.hrDrawn, c.dropped, c.hrDropped, c.rate, c.hrRate, c.jitter, c.hrJitter);
}

ULONGLONG CpuTime100ns() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
         (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

ULONGLONG measureCpu;
double measureAt;
Counts measureCounts;
int exitCode = 1;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kReadyMessage:
      PlacePicture();
      return 0;
    case kStartedMessage:
      exitCode = 0;
      Say("first MESessionStarted %.0f ms after Start", bench::NowMs() - startAt);
      FindFrameCounts();
      measureCpu = CpuTime100ns();
      measureAt = bench::NowMs();
      measureCounts = ReadCounts();
      SayCounts("at start", measureCounts);
      SetTimer(hwnd, kShotTimer, shotSeconds * 1000, nullptr);
      SetTimer(hwnd, kMeasureTimer, measureSeconds * 1000, nullptr);
      return 0;
    case kFailedMessage:
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_TIMER:
      KillTimer(hwnd, wParam);
      if (wParam == kShotTimer) {
        SIZE native{}, aspect{};
        const HRESULT hr = display ? display->GetNativeVideoSize(&native, &aspect) : E_POINTER;
        Say("GetNativeVideoSize: 0x%08lx %ldx%ld aspect %ld:%ld", hr, native.cx, native.cy, aspect.cx, aspect.cy);
        CurrentImage();
        SayCounts("at the screenshot", ReadCounts());
        Say("screenshot now");
      } else {
        const double seconds = (bench::NowMs() - measureAt) / 1000;
        const double cpu = (CpuTime100ns() - measureCpu) / 1e7;
        Say("CPU over %.1f s: %.2f s, %.0f %% of one core", seconds, cpu, 100 * cpu / seconds);
        const Counts now = ReadCounts();
        SayCounts("at the end", now);
        if (SUCCEEDED(now.hrDrawn) && SUCCEEDED(measureCounts.hrDrawn))
          Say("frames drawn per second: %.1f", (now.drawn - measureCounts.drawn) / seconds);
        CurrentImage();
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_DESTROY:
      if (hwnd == window) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// Nothing here may keep the bench waiting: a hung session ends the process.
DWORD WINAPI Watchdog(void*) {
  Sleep((shotSeconds + measureSeconds + 30) * 1000);
  Say("watchdog: still running, ending the process");
  ExitProcess(3);
}

}  // namespace

int main(int argc, char** argv) {
  InitializeCriticalSection(&printLock);
  const char* moviePath = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rect") && i + 1 < argc) {
      long x, y, w, h;
      if (std::sscanf(argv[++i], "%ld,%ld,%ld,%ld", &x, &y, &w, &h) == 4) target = {x, y, x + w, y + h};
    } else if (!std::strcmp(argv[i], "--popup")) {
      popup = true;
    } else if (!std::strcmp(argv[i], "--child")) {
      child = true;
    } else if (!std::strcmp(argv[i], "--no-d3d-check")) {
      checkDirect3D = false;
    } else if (!std::strcmp(argv[i], "--source-type-as-is")) {
      pickSourceType = false;
    } else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc) {
      shotSeconds = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--measure") && i + 1 < argc) {
      measureSeconds = std::atoi(argv[++i]);
    } else {
      moviePath = argv[i];
    }
  }
  if (!moviePath) {
    std::fprintf(stderr, "usage: evr_probe.exe [--rect X,Y,W,H] [--child | --popup] [--no-d3d-check] [--source-type-as-is] [--shot S] [--measure S] <movie path>\n");
    return 2;
  }
  CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
  wchar_t path[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, moviePath, -1, path, MAX_PATH);

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = instance;
  wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 160));
  wc.lpszClassName = "EvrProbe";
  RegisterClassA(&wc);
  videoWindow = window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "EVR probe", WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           instance, nullptr);
  UpdateWindow(window);
  Say("window %dx%d, picture at %ld,%ld %ldx%ld", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
      target.left, target.top, target.right - target.left, target.bottom - target.top);
  if (checkDirect3D) {
    HWND scratch = CreateWindowExA(0, wc.lpszClassName, "Direct3D check", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                   instance, nullptr);
    Say("Direct3D 9 device: %s", ProbeDirect3D(scratch) ? "works" : "does not work");
    DestroyWindow(scratch);
  }
  if (child || popup) {
    // The renderer gets a window of the picture's own size and place: a child
    // of ours, or a popup that ours owns (a window of the display's own).
    POINT at = {target.left, target.top};
    if (popup) ClientToScreen(window, &at);
    videoWindow = CreateWindowExA(popup ? WS_EX_TOPMOST : 0, wc.lpszClassName, "",
                                  (popup ? WS_POPUP : WS_CHILD) | WS_VISIBLE, at.x, at.y, target.right - target.left,
                                  target.bottom - target.top, window, nullptr, instance, nullptr);
    target = {0, 0, target.right - target.left, target.bottom - target.top};
  }

  Say("CoInitializeEx: 0x%08lx", CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  Say("MFStartup: 0x%08lx", MFStartup(MF_VERSION, MFSTARTUP_LITE));

  using CreateActivate = HRESULT(WINAPI*)(HWND, IMFActivate**);
  HMODULE mf = LoadLibraryA("mf.dll");
  const auto createRenderer = mf ? reinterpret_cast<CreateActivate>(reinterpret_cast<void*>(
                                       GetProcAddress(mf, "MFCreateVideoRendererActivate")))
                                 : nullptr;
  Say("MFCreateVideoRendererActivate in mf.dll: %s", createRenderer ? "found" : "missing");
  if (createRenderer) Say("MFCreateVideoRendererActivate: 0x%08lx", createRenderer(videoWindow, &rendererActivate));

  IMFSourceResolver* resolver = nullptr;
  IUnknown* object = nullptr;
  IMFMediaSource* source = nullptr;
  IMFPresentationDescriptor* presentation = nullptr;
  MF_OBJECT_TYPE objectType = MF_OBJECT_INVALID;
  MFCreateSourceResolver(&resolver);
  HRESULT hr = resolver->CreateObjectFromURL(path, MF_RESOLUTION_MEDIASOURCE, nullptr, &objectType, &object);
  Say("CreateObjectFromURL: 0x%08lx", hr);
  if (FAILED(hr)) return 1;
  object->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(&source));
  source->CreatePresentationDescriptor(&presentation);
  IMFTopology* topology = BuildTopology(source, presentation);

  Say("MFCreateMediaSession: 0x%08lx", MFCreateMediaSession(nullptr, &events.session));
  Say("SetTopology: 0x%08lx", events.session->SetTopology(0, topology));
  events.session->BeginGetEvent(&events, nullptr);
  PROPVARIANT start;
  PropVariantInit(&start);
  startAt = bench::NowMs();
  Say("Start: 0x%08lx", events.session->Start(&GUID_NULL, &start));

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (quality) quality->Release();
  if (display) display->Release();
  // Closed before it is shut down, so that no work of the renderer's is left
  // queued when the process ends.
  Say("Close: 0x%08lx", events.session->Close());
  Say("MESessionClosed %s", WaitForSingleObject(events.closed, 5000) == WAIT_OBJECT_0 ? "came" : "did not come in 5 s");
  Say("Shutdown: 0x%08lx", events.session->Shutdown());
  source->Shutdown();
  events.session->Release();
  rendererActivate->ShutdownObject();
  rendererActivate->Release();
  Say("MFShutdown: 0x%08lx", MFShutdown());
  Say("exit %d", exitCode);
  return exitCode;
}
