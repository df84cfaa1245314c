#include "velora/playback/mf_movie.h"

#include <mmsystem.h>

#include <atomic>
#include <utility>
#include <vector>

#include "framework/handles.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/media_foundation.h"
#include "velora/playback/core/playback_speed.h"
#include "velora/playback/mf_movie_sink.h"

namespace velora {

using namespace movie_sink;

namespace {

// MF_TOPOLOGY_ENABLE_XVP_FOR_PLAYBACK, which the MinGW headers lack.
const GUID kVideoProcessorForPlayback = {0x1967731f, 0xcd78, 0x42fc, {0xb0, 0x26, 0x09, 0x92, 0xa5, 0x6e, 0x56, 0x93}};

// How long a session is given to close before it is shut down all the same.
constexpr DWORD kCloseWait = 2000;

// Movies let go whose objects are still being released.
std::atomic<int> releasing{0};

}  // namespace

class MfMovie::Impl {
 public:
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
  VideoGeometry geometry;
  ColourMatrix matrix = ColourMatrix::kBt601;
  std::uint32_t speed = kNormalSpeed;
  bool withSound = false, started = false;
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

  // The first video stream to the grabber (GrabberFor); the first sound
  // stream to the speakers unless muted or the system has none (the audio
  // renderer then stalls the whole movie). Every other stream is dropped.
  // The video processor converts what the decoder gives (10-bit video) and
  // deinterlaces. The frames keep to the sound's clock where it plays.
  bool BuildTopology(bool mute, ComPtr<IMFTopology>& topology) {
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
          video = GrabberFor(output);
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
    const VideoGeometry before = geometry;
    ComPtr<IMFMediaSink> grabbing;
    ComPtr<IMFStreamSink> stream;
    ComPtr<IMFMediaTypeHandler> handler;
    ComPtr<IMFMediaType> type;
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

  // Speed in thousandths (PlaybackSpeed), asked for once the decoders are
  // in place. The session answers with the rate it plays at, which paces the
  // frames (MovieSink): the normal one where the file cannot go at the speed.
  void SetRate() {
    ComPtr<IMFRateControl> control;
    if (speed != kNormalSpeed &&
        SUCCEEDED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateControl, control.outVoid())))
      control->SetRate(FALSE, static_cast<float>(speed) / 1000.0f);
  }

  // A movie whose sound has no decoder plays without it; answers whether it
  // was asked for.
  bool PlayWithoutSound() {
    ComPtr<IMFTopology> topology;
    return withSound && BuildTopology(true, topology) &&
           SUCCEEDED(session->SetTopology(MFSESSION_SETTOPOLOGY_IMMEDIATE, topology.get()));
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
  ComPtr<IMFTopology> topology;
  if (!impl->BuildTopology(mute, topology) || FAILED(impl->api->CreateMediaSession(nullptr, impl->session.out())))
    return false;
  impl->sink->Listen(impl->session);
  impl->sink->DrawInto(target);
  impl->callbacks->Listen(*impl->sink);
  return SUCCEEDED(impl->session->SetTopology(0, topology.get()));
}

LPARAM MfMovie::OnEvent(LPARAM event) {
  if (event == kMovieReady) return impl->Ready();
  // Without a decoder for the picture either, Media Foundation cannot play the file.
  if (event == kMovieUnresolved) return impl->PlayWithoutSound() ? 0 : kMovieUnopened;
  return event;
}

void MfMovie::MoveTo(const RECT& where) {
  impl->where = where;
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
