#include "velora/playback/mf_movie.h"

#include <mmsystem.h>

#include <atomic>
#include <vector>

#include "framework/handles.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/media_foundation.h"
#include "velora/playback/core/playback_speed.h"
#include "velora/playback/mf_movie_sink.h"

namespace velora {

using namespace movie_sink;

class MfMovie::Impl {
 public:
  std::shared_ptr<const MediaFoundationApi> api;
  ComPtr<IMFSourceResolver> resolver;
  ComPtr<IMFMediaSource> source;
  ComPtr<IMFPresentationDescriptor> presentation;
  ComPtr<IMFMediaSession> session;
  std::vector<ComPtr<IMFActivate>> sinks;
  std::shared_ptr<MovieSink> sink;
  MovieCallbacks* callbacks = nullptr;
  WPARAM serial = 0;
  SIZE size{};
  HWND target = nullptr;
  RECT where{};
  std::vector<BYTE> frame;

  // Reading a file may take long (a damaged one, a slow disk): the resolver
  // reads it on Media Foundation's threads and tells the window when done.
  bool BeginOpen(const std::string& path) {
    std::wstring url(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0), L'\0');
    if (url.empty() || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &url[0], static_cast<int>(url.size())) ||
        FAILED(api->CreateSourceResolver(resolver.out())))
      return false;
    sink->Opening(resolver);
    if (SUCCEEDED(resolver->BeginCreateObjectFromURL(url.c_str(), MF_RESOLUTION_MEDIASOURCE, nullptr, nullptr,
                                                     callbacks, nullptr)))
      return true;
    sink->TakeSource();
    sink->Opening(ComPtr<IMFSourceResolver>());
    return false;
  }

  bool FinishOpen() {
    if (!source) source = sink->TakeSource();
    if (!source || FAILED(source->CreatePresentationDescriptor(presentation.out()))) return false;
    size = FirstVideoSize();
    return true;
  }

  SIZE FirstVideoSize() {
    DWORD count = 0;
    presentation->GetStreamDescriptorCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      ComPtr<IMFMediaTypeHandler> handler;
      GUID major{};
      if (!StreamHandler(i, handler) || FAILED(handler->GetMajorType(&major)) || major != MFMediaType_Video)
        continue;
      ComPtr<IMFMediaType> type;
      UINT64 frameSize = 0;
      if (FAILED(handler->GetCurrentMediaType(type.out())) || FAILED(type->GetUINT64(MF_MT_FRAME_SIZE, &frameSize)))
        continue;
      return {static_cast<LONG>(frameSize >> 32), static_cast<LONG>(frameSize & 0xFFFFFFFF)};
    }
    return {0, 0};
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

  // The first video stream to the grabber in 32-bit RGB; the first sound
  // stream to the speakers unless muted or the system has none (the audio
  // renderer then stalls the whole movie). Every other stream is dropped.
  bool BuildTopology(bool mute, ComPtr<IMFTopology>& topology) {
    if (FAILED(api->CreateTopology(topology.out()))) return false;
    bool video = false, audioDone = mute || waveOutGetNumDevs() == 0;
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
          audioDone = SUCCEEDED(api->CreateAudioRendererActivate(output.out()));
      }
      if (!output || !Connect(topology, stream, output)) {
        presentation->DeselectStream(i);
        continue;
      }
      presentation->SelectStream(i);
      sinks.push_back(output);
    }
    return !sinks.empty();
  }

  // A positive stride asks for rows top to bottom, as the frames are drawn;
  // some decoders would otherwise hand RGB bottom-up. The grabber passes
  // frames on as decoded: the sink shows each at its time (FramePacing).
  bool GrabberFor(ComPtr<IMFActivate>& output) {
    ComPtr<IMFMediaType> rgb;
    return SUCCEEDED(api->CreateMediaType(rgb.out())) &&
           SUCCEEDED(rgb->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) &&
           SUCCEEDED(rgb->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32)) &&
           (size.cx <= 0 || SUCCEEDED(rgb->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(size.cx) * 4))) &&
           SUCCEEDED(api->CreateSampleGrabberSinkActivate(rgb.get(), callbacks, output.out())) &&
           SUCCEEDED(output->SetUINT32(MF_SAMPLEGRABBERSINK_IGNORE_CLOCK, TRUE));
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

  // Speed in thousandths (PlaybackSpeed); the normal rate where the file cannot go at it.
  void SetRate(std::uint32_t speed) {
    if (speed == kNormalSpeed) return;
    const float rate = static_cast<float>(speed) / 1000.0f;
    ComPtr<IMFRateSupport> support;
    ComPtr<IMFRateControl> control;
    if (FAILED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateSupport, support.outVoid())) ||
        FAILED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateControl, control.outVoid())))
      return;
    float nearest = 1.0f;
    if (SUCCEEDED(support->IsRateSupported(FALSE, rate, &nearest)) && SUCCEEDED(control->SetRate(FALSE, rate)))
      sink->PaceAt(rate);
  }

  ~Impl() {
    if (callbacks) callbacks->Detach();
    if (sink) sink->Detach();
    // A source made after the movie was given up is shut down all the same.
    if (!source && sink) source = sink->TakeSource();
    // Shutting a session or source down waits for its reading to stop, which
    // can take seconds: a pool thread does it, and the window's thread goes on.
    auto* teardown = new Teardown{std::move(session), std::move(source), std::move(presentation), std::move(sinks)};
    if (!QueueUserWorkItem(Teardown::Run, teardown, WT_EXECUTEDEFAULT)) Teardown::Run(teardown);
    if (callbacks) callbacks->Release();
  }

  // What is left of a movie once the window has let it go.
  struct Teardown {
    ComPtr<IMFMediaSession> session;
    ComPtr<IMFMediaSource> source;
    ComPtr<IMFPresentationDescriptor> presentation;
    std::vector<ComPtr<IMFActivate>> sinks;

    static DWORD WINAPI Run(void* what) {
      auto* teardown = static_cast<Teardown*>(what);
      if (teardown->session) teardown->session->Shutdown();
      if (teardown->source) teardown->source->Shutdown();
      for (auto& output : teardown->sinks) output->ShutdownObject();
      delete teardown;
      return 0;
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
  impl->sink = std::make_shared<MovieSink>(notify, serial);
  impl->callbacks = new MovieCallbacks(impl->sink);
  if (!impl->BeginOpen(path)) return nullptr;
  return std::unique_ptr<MfMovie>(new MfMovie(std::move(impl)));
}

bool MfMovie::WaitUntilOpened(DWORD milliseconds) { return impl->sink->WaitUntilOpened(milliseconds); }

bool MfMovie::FinishOpen() { return impl->FinishOpen(); }

SIZE MfMovie::NativeSize() const { return impl->size; }

WPARAM MfMovie::Serial() const { return impl->serial; }

bool MfMovie::Play(HWND target, const RECT& where, std::uint32_t speed, bool mute) {
  impl->target = target;
  impl->where = where;
  ComPtr<IMFTopology> topology;
  if (!impl->BuildTopology(mute, topology) || FAILED(impl->api->CreateMediaSession(nullptr, impl->session.out())) ||
      FAILED(impl->session->SetTopology(0, topology.get())))
    return false;
  impl->SetRate(speed);
  impl->sink->Listen(impl->session);
  impl->callbacks->Listen(*impl->sink);
  PROPVARIANT start;
  PropVariantInit(&start);
  return SUCCEEDED(impl->session->Start(&GUID_NULL, &start));
}

void MfMovie::MoveTo(const RECT& where) { impl->where = where; }

void MfMovie::DrawLatestFrame() {
  if (!impl->sink->TakeFrame(impl->frame)) return;
  const int width = impl->size.cx, height = impl->size.cy;
  int rowPixels = 0;
  if (!FrameLayout(impl->frame.size(), width, height, rowPixels)) return;
  BITMAPINFO info{};
  // Rows top to bottom, as the decoder gives them.
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), rowPixels, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const RECT& to = impl->where;
  fw::WindowDc dc(impl->target);
  if (!dc.get()) return;
  SetStretchBltMode(dc.get(), COLORONCOLOR);
  StretchDIBits(dc.get(), to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, width, height,
                impl->frame.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace velora
