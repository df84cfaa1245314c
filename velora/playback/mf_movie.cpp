#include "velora/playback/mf_movie.h"

#include <evr.h>
#include <mmsystem.h>

#include <atomic>
#include <utility>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/media_foundation.h"
#include "velora/playback/core/playback_speed.h"
#include "velora/playback/mf_movie_sink.h"
#include "velora/playback/movie_window.h"

namespace velora {

using namespace movie_sink;

namespace {

// MF_TOPOLOGY_ENABLE_XVP_FOR_PLAYBACK, which the MinGW headers lack.
const GUID kVideoProcessorForPlayback = {0x1967731f, 0xcd78, 0x42fc, {0xb0, 0x26, 0x09, 0x92, 0xa5, 0x6e, 0x56, 0x93}};

// The renderer's own window, black until it draws; at a paint the renderer
// shows its newest frame again (its display control is the window's user data).
LRESULT CALLBACK RendererWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  if (auto* display = reinterpret_cast<IMFVideoDisplayControl*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
    display->RepaintVideo();
  EndPaint(window, &paint);
  return 0;
}

// A window of its own inside `parent` at `where`, for the renderer: one that
// gives up leaves its Direct3D mark on its window, and velora then draws in
// the one around it. Disabled, so that the pointer still reaches the saver.
UniqueMovieWindow CreateRendererWindow(HWND parent, const RECT& where) {
  const char* windowClass = fw::Window::RegisterClassOnce("VeloraRenderer", 0, nullptr,
                                                          static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                                                          RendererWindowProcedure);
  if (!windowClass) return UniqueMovieWindow();
  return UniqueMovieWindow(CreateWindowExA(0, windowClass, "", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS,
                                           where.left, where.top, where.right - where.left, where.bottom - where.top,
                                           parent, nullptr, GetModuleHandleA(nullptr), nullptr));
}

// How long the graphics card's check is waited for, once the file is read.
constexpr DWORD kCardCheckWait = 2000;

// How long a session is given to close before it is shut down all the same.
constexpr DWORD kCloseWait = 2000;

// Movies let go whose objects are still being released.
std::atomic<int> releasing{0};

}  // namespace

class MfMovie::Impl {
 public:
  MediaFoundation* platform = nullptr;
  std::shared_ptr<const MediaFoundationApi> api;
  ComPtr<IMFSourceResolver> resolver;
  ComPtr<IUnknown> cancelOpening;
  ComPtr<IMFMediaSource> source;
  ComPtr<IMFPresentationDescriptor> presentation;
  ComPtr<IMFMediaSession> session;
  std::vector<ComPtr<IMFActivate>> sinks;
  std::shared_ptr<MovieSink> sink;
  MovieCallbacks* callbacks = nullptr;
  WPARAM serial = 0;
  ComPtr<IMFMediaType> fileType;  // the video stream's, as the file tells it
  ComPtr<IMFActivate> grabber;    // the video's, of the latest topology
  // The enhanced video renderer draws the picture in its window, which
  // display places.
  bool onCard = false;
  ComPtr<IMFVideoDisplayControl> display;
  UniqueMovieWindow rendererWindow;
  VideoGeometry geometry;
  ColourMatrix matrix = ColourMatrix::kBt601;
  std::uint32_t speed = kNormalSpeed;
  bool mute = false, withSound = false, started = false;
  // A topology was given up on: what the session still tells of it (Wine
  // calls a topology it could not resolve ready) waits for the next one.
  bool replacing = false;
  HWND target = nullptr;
  RECT where{};
  std::vector<BYTE> frame;
  std::unique_ptr<std::uint32_t[]> converted, upright;  // the picture in 32-bit pixels, and upright
  std::size_t convertedPixels = 0, uprightPixels = 0;

  // A buffer of at least `pixels`, kept from frame to frame.
  static std::uint32_t* Room(std::unique_ptr<std::uint32_t[]>& buffer, std::size_t& size, std::size_t pixels) {
    if (size < pixels) {
      buffer.reset(new std::uint32_t[pixels]);
      size = pixels;
    }
    return buffer.get();
  }

  // Reading a file may take long (a damaged one, a slow disk): the resolver
  // reads it on Media Foundation's threads and tells the window when done.
  bool BeginOpen(const std::string& path) {
    std::wstring url(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0), L'\0');
    if (url.empty() || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &url[0], static_cast<int>(url.size())) ||
        FAILED(api->CreateSourceResolver(resolver.out())))
      return false;
    sink->Opening(resolver);
    if (SUCCEEDED(resolver->BeginCreateObjectFromURL(url.c_str(), MF_RESOLUTION_MEDIASOURCE, nullptr,
                                                     cancelOpening.out(), callbacks, nullptr)))
      return true;
    sink->TakeSource();
    sink->Opening(ComPtr<IMFSourceResolver>());
    return false;
  }

  bool FinishOpen() {
    if (!source) source = sink->TakeSource();
    if (!source || FAILED(source->CreatePresentationDescriptor(presentation.out()))) return false;
    fileType = FirstVideoType();
    if (fileType) geometry = GeometryOf(fileType.get(), nullptr);
    matrix = MatrixOf(fileType.get(), geometry.pictureHeight);
    return true;
  }

  ComPtr<IMFMediaType> FirstVideoType() {
    DWORD count = 0;
    presentation->GetStreamDescriptorCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      ComPtr<IMFMediaTypeHandler> handler;
      GUID major{};
      if (!StreamHandler(i, handler) || FAILED(handler->GetMajorType(&major)) || major != MFMediaType_Video)
        continue;
      ComPtr<IMFMediaType> type;
      if (SUCCEEDED(handler->GetCurrentMediaType(type.out()))) return type;
    }
    return {};
  }

  bool StreamHandler(DWORD index, ComPtr<IMFMediaTypeHandler>& handler, ComPtr<IMFStreamDescriptor>* stream = nullptr) {
    BOOL selected = FALSE;
    ComPtr<IMFStreamDescriptor> descriptor;
    if (FAILED(presentation->GetStreamDescriptorByIndex(index, &selected, descriptor.out())) ||
        FAILED(descriptor->GetMediaTypeHandler(handler.out())))
      return false;
    if (stream) *stream = descriptor;
    return true;
  }

  // The first video stream to the renderer (RendererFor) or the grabber
  // (GrabberFor); the first sound stream to the speakers unless muted or the
  // system has none (the audio renderer then stalls the whole movie). Every
  // other stream is dropped. The video processor converts what the decoder
  // gives (10-bit video) and deinterlaces. The frames keep to the sound's
  // clock where it plays.
  bool BuildTopology(ComPtr<IMFTopology>& topology) {
    if (FAILED(api->CreateTopology(topology.out())) ||
        FAILED(topology->SetUINT32(kVideoProcessorForPlayback, TRUE)))
      return false;
    bool video = false, audioDone = mute || waveOutGetNumDevs() == 0, connected = false;
    withSound = false;
    DWORD count = 0;
    presentation->GetStreamDescriptorCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      ComPtr<IMFMediaTypeHandler> handler;
      ComPtr<IMFStreamDescriptor> stream;
      GUID major{};
      ComPtr<IMFActivate> output;
      if (StreamHandler(i, handler, &stream) && SUCCEEDED(handler->GetMajorType(&major))) {
        if (major == MFMediaType_Video && !video)
          video = (onCard && RendererFor(output)) || GrabberFor(output);
        else if (major == MFMediaType_Audio && !audioDone)
          audioDone = withSound = SUCCEEDED(api->CreateAudioRendererActivate(output.out()));
      }
      if (!output || !Connect(topology, stream, output)) {
        presentation->DeselectStream(i);
        continue;
      }
      presentation->SelectStream(i);
      sinks.push_back(output);
      connected = true;
    }
    sink->PlaysSound(withSound);
    return connected;
  }

  // The renderer shows the picture in the target window, decoded on the
  // graphics card where it can (DXVA), each frame at its time.
  bool RendererFor(ComPtr<IMFActivate>& output) {
    grabber.reset();
    rendererWindow = CreateRendererWindow(target, where);
    onCard = rendererWindow && SUCCEEDED(api->CreateVideoRendererActivate(rendererWindow.get(), output.out()));
    if (!onCard) rendererWindow.reset();
    return onCard;
  }

  // Whole pictures, not fields, in NV12, which decoders give: velora makes
  // the screen's pixels of them itself (ConvertNv12). The grabber passes
  // frames on as decoded: the sink shows each at its time (FramePacing).
  bool GrabberFor(ComPtr<IMFActivate>& output) {
    ComPtr<IMFMediaType> nv12;
    if (FAILED(api->CreateMediaType(nv12.out())) || FAILED(nv12->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) ||
        FAILED(nv12->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_NV12)) ||
        FAILED(nv12->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive)) ||
        FAILED(api->CreateSampleGrabberSinkActivate(nv12.get(), callbacks, output.out())) ||
        FAILED(output->SetUINT32(MF_SAMPLEGRABBERSINK_IGNORE_CLOCK, TRUE)))
      return false;
    grabber = output;
    return true;
  }

  bool Connect(ComPtr<IMFTopology>& topology, const ComPtr<IMFStreamDescriptor>& stream,
               const ComPtr<IMFActivate>& output) {
    ComPtr<IMFTopologyNode> from, to;
    return SUCCEEDED(api->CreateTopologyNode(MF_TOPOLOGY_SOURCESTREAM_NODE, from.out())) &&
           SUCCEEDED(from->SetUnknown(MF_TOPONODE_SOURCE, source.get())) &&
           SUCCEEDED(from->SetUnknown(MF_TOPONODE_PRESENTATION_DESCRIPTOR, presentation.get())) &&
           SUCCEEDED(from->SetUnknown(MF_TOPONODE_STREAM_DESCRIPTOR, stream.get())) &&
           SUCCEEDED(api->CreateTopologyNode(MF_TOPOLOGY_OUTPUT_NODE, to.out())) &&
           SUCCEEDED(to->SetObject(output.get())) && SUCCEEDED(topology->AddNode(from.get())) &&
           SUCCEEDED(topology->AddNode(to.get())) && SUCCEEDED(from->ConnectOutput(0, to.get(), 0));
  }

  // The decoders are in place (or changed their format): the picture as the
  // grabber gets it, and the start. What the file told stays when the
  // grabber's type cannot be read.
  LPARAM Ready() {
    if (replacing) return 0;
    const VideoGeometry before = geometry;
    ComPtr<IMFMediaSink> grabbing;
    ComPtr<IMFStreamSink> stream;
    ComPtr<IMFMediaTypeHandler> handler;
    ComPtr<IMFMediaType> type;
    if (onCard) PlaceRenderersPicture();
    // The grabber the session made: the same object each time it is asked for.
    if (grabber && SUCCEEDED(grabber->ActivateObject(IID_IMFMediaSink, grabbing.outVoid())) &&
        SUCCEEDED(grabbing->GetStreamSinkByIndex(0, stream.out())) &&
        SUCCEEDED(stream->GetMediaTypeHandler(handler.out())) && SUCCEEDED(handler->GetCurrentMediaType(type.out()))) {
      geometry = GeometryOf(type.get(), fileType.get());
      matrix = MatrixOf(type.get(), geometry.pictureHeight);
    }
    if (!started) {
      started = true;
      SetRate();
      PROPVARIANT start;
      PropVariantInit(&start);
      if (FAILED(session->Start(&GUID_NULL, &start))) return kMovieFailed;
    }
    return geometry.width != before.width || geometry.height != before.height ? kMovieResized : 0;
  }

  // The renderer's picture fills its window at `where`: velora has shaped
  // the rectangle by the picture's aperture and its pixels' shape already.
  void PlaceRenderersPicture() {
    if (!display) {
      if (FAILED(api->GetService(session.get(), kVideoRenderService, kVideoDisplayControl, display.outVoid())))
        return;
      display->SetAspectRatioMode(MFVideoARMode_None);
      SetWindowLongPtrA(rendererWindow.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(display.get()));
    }
    SetWindowPos(rendererWindow.get(), nullptr, where.left, where.top, where.right - where.left,
                 where.bottom - where.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT whole{0, 0, where.right - where.left, where.bottom - where.top};
    display->SetVideoPosition(nullptr, &whole);
  }

  // Speed in thousandths (PlaybackSpeed), asked for once the decoders are
  // in place. The session answers with the rate it plays at, which paces the
  // frames (MovieSink): the normal one where the file cannot go at the speed.
  void SetRate() {
    ComPtr<IMFRateControl> control;
    if (speed != kNormalSpeed &&
        SUCCEEDED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateControl, control.outVoid())))
      control->SetRate(FALSE, static_cast<float>(speed) / 1000.0f);
  }

  // A topology the session could not resolve: a renderer that refused
  // (no device after all, or decoders it cannot take) gives way to velora's
  // drawing, for this movie and every later one; then a movie whose sound
  // has no decoder plays without it. Answers whether another way was asked for.
  bool PlayAnotherWay() {
    if (onCard) {
      onCard = false;
      rendererWindow.reset();
      display.reset();
      api->rendererRefused.store(true);
      // Under Wine a session stays stuck after the renderer's refusal.
      if (!NewSession()) return false;
    } else if (withSound) {
      mute = true;
    } else {
      return false;
    }
    ComPtr<IMFTopology> topology;
    replacing = BuildTopology(topology) &&
                SUCCEEDED(session->SetTopology(MFSESSION_SETTOPOLOGY_IMMEDIATE, topology.get()));
    return replacing;
  }

  // The session a refused renderer leaves is shut down at once: it never
  // started, so nothing of it waits for reading to stop.
  bool NewSession() {
    session->Shutdown();
    started = false;
    if (FAILED(api->CreateMediaSession(nullptr, session.out()))) return false;
    sink->Listen(session);
    callbacks->Listen(*sink);
    return true;
  }

  ~Impl() {
    if (!sink) return;
    sink->Detach();
    // Closing a session and shutting a source down wait for their reading to
    // stop, which can take seconds: a pool thread does it, and the window's
    // thread goes on.
    ++releasing;
    auto* release = new Release{api,     std::move(resolver), std::move(cancelOpening), std::move(session),
                                std::move(source), std::move(sinks), sink, callbacks};
    if (!QueueUserWorkItem(Release::Run, release, WT_EXECUTEDEFAULT)) Release::Run(release);
  }

  // What is left of a movie once the window has let it go.
  struct Release {
    std::shared_ptr<const MediaFoundationApi> api;
    ComPtr<IMFSourceResolver> resolver;
    ComPtr<IUnknown> cancelOpening;
    ComPtr<IMFMediaSession> session;
    ComPtr<IMFMediaSource> source;
    std::vector<ComPtr<IMFActivate>> sinks;
    std::shared_ptr<MovieSink> sink;
    MovieCallbacks* callbacks;

    static DWORD WINAPI Run(void* what) {
      auto* release = static_cast<Release*>(what);
      const auto api = release->api;
      // Every thread that calls Media Foundation has COM.
      const bool com = SUCCEEDED(api->InitializeCom(nullptr, COINIT_MULTITHREADED));
      release->Close();
      delete release;
      if (com) api->UninitializeCom();
      --releasing;
      return 0;
    }

    void Close() {
      // A reading still running is cancelled, and its answer awaited all the
      // same: a source made regardless is shut down by the sink then, and an
      // answer nobody took would keep the file open.
      if (resolver && !sink->WaitUntilOpened(0)) {
        if (cancelOpening) resolver->CancelObjectCreation(cancelOpening.get());
        sink->WaitUntilOpened(kCloseWait);
      }
      if (!source) source = sink->TakeSource();
      if (session) {
        if (SUCCEEDED(session->Close())) sink->WaitUntilClosed(kCloseWait);
        session->Shutdown();
      }
      if (source) source->Shutdown();
      for (auto& output : sinks) output->ShutdownObject();
      sink->Forget();
      callbacks->Detach();
      callbacks->Release();
    }
  };
};

MfMovie::MfMovie(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {}
MfMovie::~MfMovie() = default;

std::unique_ptr<MfMovie> MfMovie::Open(MediaFoundation& platform, const std::string& path, HWND notify,
                                       WPARAM serial) {
  auto impl = std::make_unique<Impl>();
  impl->api = platform.Acquire();
  if (!impl->api) return nullptr;
  impl->serial = serial;
  impl->sink.reset(new MovieSink(notify, serial));  // not make_shared: see MediaFoundation::Acquire
  impl->callbacks = new MovieCallbacks(impl->sink);
  if (!impl->BeginOpen(path)) return nullptr;
  impl->platform = &platform;
  return std::unique_ptr<MfMovie>(new MfMovie(std::move(impl)));
}

bool MfMovie::WaitUntilOpened(DWORD milliseconds) { return impl->sink->WaitUntilOpened(milliseconds); }

bool MfMovie::FinishOpen() { return impl->FinishOpen(); }

SIZE MfMovie::NativeSize() const { return {impl->geometry.width, impl->geometry.height}; }

WPARAM MfMovie::Serial() const { return impl->serial; }

bool MfMovie::Play(HWND target, const RECT& where, std::uint32_t speed, bool mute) {
  impl->target = target;
  impl->where = where;
  impl->speed = speed;
  impl->mute = mute;
  // A turned picture is turned by velora: not every renderer turns it.
  impl->onCard = !impl->api->rendererRefused.load() && !impl->geometry.turns &&
                 impl->platform->GraphicsCard(kCardCheckWait);
  ComPtr<IMFTopology> topology;
  if (!impl->BuildTopology(topology) || FAILED(impl->api->CreateMediaSession(nullptr, impl->session.out())))
    return false;
  impl->sink->Listen(impl->session);
  impl->sink->DrawInto(target);
  impl->callbacks->Listen(*impl->sink);
  return SUCCEEDED(impl->session->SetTopology(0, topology.get()));
}

LPARAM MfMovie::OnEvent(LPARAM event) {
  if (event == kMovieReady) return impl->Ready();
  if (event == kMovieTopologySet) {
    impl->replacing = false;
    return 0;
  }
  // Without a decoder for the picture either, Media Foundation cannot play the file.
  if (event == kMovieUnresolved) return impl->PlayAnotherWay() ? 0 : kMovieUnopened;
  return event;
}

const char* MfMovie::Caption() const {
  return impl->onCard ? kMediaFoundationRendererTitle : kMediaFoundationMovieTitle;
}

void MfMovie::MoveTo(const RECT& where) {
  impl->where = where;
  if (impl->display) impl->PlaceRenderersPicture();
  if (impl->target) InvalidateRect(impl->target, nullptr, FALSE);
}

bool MfMovie::WaitForReleases(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (releasing.load() > 0) {
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(5);
  }
  return true;
}

void MfMovie::Paint(HDC dc) {
  // The renderer paints its own window.
  if (impl->onCard) return;
  impl->sink->TakeFrame(impl->frame);
  VideoGeometry g = impl->geometry;
  // A frame too short for the picture (its format changing) is not read.
  if (!g.width || impl->frame.size() < g.bytesNeeded) return;
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(impl->frame.data());
  if (g.planar) {
    // Converted, the picture is a frame of its own, top-down and nothing around it.
    std::uint32_t* converted = Impl::Room(impl->converted, impl->convertedPixels,
                                          static_cast<std::size_t>(g.pictureWidth) * g.pictureHeight);
    ConvertNv12(impl->frame.data(), g.rowPixels, g.frameRows, g.left, g.firstRow, g.pictureWidth, g.pictureHeight,
                impl->matrix, converted);
    pixels = converted;
    g.rowPixels = g.pictureWidth;
    g.left = g.firstRow = 0;
    g.bottomUp = false;
  }
  const std::uint32_t* bits = pixels + static_cast<std::ptrdiff_t>(g.firstRow) * g.rowPixels;
  int width = g.pictureWidth, height = g.pictureHeight, rowPixels = g.rowPixels, left = g.left;
  bool bottomUp = g.bottomUp;
  if (g.turns) {
    std::uint32_t* upright =
        Impl::Room(impl->upright, impl->uprightPixels, static_cast<std::size_t>(width) * height);
    TurnPicture(pixels, g, upright);
    if (g.turns % 2) std::swap(width, height);
    bits = upright;
    rowPixels = width;
    left = 0;
    bottomUp = false;
  }
  BITMAPINFO info{};
  // The bitmap is the picture's rows only, in their order in memory.
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), rowPixels, bottomUp ? height : -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const RECT& to = impl->where;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, left, 0, width, height, bits,
                &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace velora
