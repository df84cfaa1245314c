#include "velora/playback/media_foundation.h"  // first: it sets the Windows level
#include "velora/playback/mf_movie.h"

#include <mmsystem.h>

#include <atomic>
#include <vector>

#include "velora/playback/com_ptr.h"

namespace velora {

namespace {

// Receives the grabber's frames and the session's events on Media
// Foundation's threads and hands them to the window's thread. It outlives the
// movie while Media Foundation still holds it; Detach cuts it off first.
class MovieSink final : public IMFSampleGrabberSinkCallback, public IMFAsyncCallback {
 public:
  MovieSink(HWND notify, WPARAM serial) : notify(notify), serial(serial) { InitializeCriticalSection(&lock); }

  void Listen(const ComPtr<IMFMediaSession>& events) {
    Locked([&] { session = events; });
    events->BeginGetEvent(this, nullptr);
  }

  // After this nothing more is posted and the session is let go.
  void Detach() {
    ComPtr<IMFMediaSession> dropped;
    Locked([&] {
      notify = nullptr;
      dropped = std::move(session);
    });
  }

  // The newest frame, if one came since the last call, swapped into `frame`.
  bool TakeFrame(std::vector<BYTE>& frame) {
    framePosted.store(false);
    bool taken = false;
    Locked([&] {
      if (!hasFrame) return;
      frame.swap(pending);
      hasFrame = false;
      taken = true;
    });
    return taken;
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMFSampleGrabberSinkCallback || iid == IID_IMFClockStateSink) {
      *out = static_cast<IMFSampleGrabberSinkCallback*>(this);
    } else if (iid == IID_IMFAsyncCallback) {
      *out = static_cast<IMFAsyncCallback*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  // IMFClockStateSink: the clock's changes need nothing here.
  STDMETHODIMP OnClockStart(MFTIME, LONGLONG) override { return S_OK; }
  STDMETHODIMP OnClockStop(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockPause(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockRestart(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockSetRate(MFTIME, float) override { return S_OK; }

  // IMFSampleGrabberSinkCallback: one stream thread delivers the frames in turn.
  STDMETHODIMP OnSetPresentationClock(IMFPresentationClock*) override { return S_OK; }
  STDMETHODIMP OnShutdown() override { return S_OK; }
  STDMETHODIMP OnProcessSample(REFGUID, DWORD, LONGLONG, LONGLONG, const BYTE* data, DWORD size) override {
    incoming.assign(data, data + size);
    HWND target = nullptr;
    Locked([&] {
      incoming.swap(pending);
      hasFrame = true;
      target = notify;
    });
    // One message at a time: a slow window sees only the newest frame.
    if (target && !framePosted.exchange(true)) PostMessageA(target, WM_SAVER_MOVIE_FRAME, serial, 0);
    return S_OK;
  }

  // IMFAsyncCallback: the session's events.
  STDMETHODIMP GetParameters(DWORD*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(IMFAsyncResult* result) override {
    ComPtr<IMFMediaSession> events;
    Locked([&] { events = session; });
    ComPtr<IMFMediaEvent> event;
    if (!events || FAILED(events->EndGetEvent(result, event.out()))) return S_OK;
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    event->GetType(&type);
    event->GetStatus(&status);
    if (type == MESessionEnded && SUCCEEDED(status)) {
      Post(kMovieEnded);
    } else if (FAILED(status) || type == MEError) {
      Post(kMovieFailed);
    } else if (type != MESessionClosed) {
      events->BeginGetEvent(this, nullptr);
    }
    return S_OK;
  }

 private:
  ~MovieSink() { DeleteCriticalSection(&lock); }

  template <typename Step>
  void Locked(Step step) {
    EnterCriticalSection(&lock);
    step();
    LeaveCriticalSection(&lock);
  }

  void Post(LPARAM what) {
    HWND target = nullptr;
    Locked([&] { target = notify; });
    if (target) PostMessageA(target, WM_SAVER_MOVIE_EVENT, serial, what);
  }

  std::atomic<ULONG> references{1};
  std::atomic<bool> framePosted{false};
  CRITICAL_SECTION lock;
  // Guarded by the lock:
  HWND notify;
  ComPtr<IMFMediaSession> session;
  std::vector<BYTE> pending;
  bool hasFrame = false;
  // The stream thread's own:
  std::vector<BYTE> incoming;
  const WPARAM serial;
};

// The pixel rows of a frame: the decoder may add rows below the picture
// (1080 lines are coded as 1088) or pad each row.
bool FrameLayout(size_t bytes, int width, int height, int& rowPixels) {
  if (width <= 0 || height <= 0) return false;
  const size_t plainRow = static_cast<size_t>(width) * 4;
  if (bytes >= plainRow * height && bytes % plainRow == 0) {
    rowPixels = width;
    return true;
  }
  if (bytes % height != 0 || (bytes / height) % 4 != 0 || bytes / height < plainRow) return false;
  rowPixels = static_cast<int>(bytes / height / 4);
  return true;
}

}  // namespace

class MfMovie::Impl {
 public:
  std::shared_ptr<const MediaFoundationApi> api;
  ComPtr<IMFMediaSource> source;
  ComPtr<IMFPresentationDescriptor> presentation;
  ComPtr<IMFMediaSession> session;
  std::vector<ComPtr<IMFActivate>> sinks;
  MovieSink* sink = nullptr;
  WPARAM serial = 0;
  SIZE size{};
  HWND target = nullptr;
  RECT where{};
  std::vector<BYTE> frame;

  bool OpenSource(const std::string& path) {
    std::wstring url(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0), L'\0');
    if (url.empty() || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &url[0], static_cast<int>(url.size())))
      return false;
    ComPtr<IMFSourceResolver> resolver;
    ComPtr<IUnknown> object;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    if (FAILED(api->CreateSourceResolver(resolver.out())) ||
        FAILED(resolver->CreateObjectFromURL(url.c_str(), MF_RESOLUTION_MEDIASOURCE, nullptr, &type, object.out())) ||
        FAILED(object->QueryInterface(IID_IMFMediaSource, source.outVoid())))
      return false;
    if (FAILED(source->CreatePresentationDescriptor(presentation.out()))) return false;
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

  bool GrabberFor(ComPtr<IMFActivate>& output) {
    ComPtr<IMFMediaType> rgb;
    return SUCCEEDED(api->CreateMediaType(rgb.out())) &&
           SUCCEEDED(rgb->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) &&
           SUCCEEDED(rgb->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32)) &&
           SUCCEEDED(api->CreateSampleGrabberSinkActivate(rgb.get(), sink, output.out()));
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

  // Speed in thousandths; the normal rate where the file cannot go at it.
  void SetRate(int speed) {
    if (speed <= 0 || speed == 1000) return;
    const float rate = static_cast<float>(speed) / 1000.0f;
    ComPtr<IMFRateSupport> support;
    ComPtr<IMFRateControl> control;
    if (FAILED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateSupport, support.outVoid())) ||
        FAILED(api->GetService(session.get(), MF_RATE_CONTROL_SERVICE, IID_IMFRateControl, control.outVoid())))
      return;
    float nearest = 1.0f;
    if (SUCCEEDED(support->IsRateSupported(FALSE, rate, &nearest))) control->SetRate(FALSE, rate);
  }

  ~Impl() {
    if (sink) sink->Detach();
    // Shut down at once rather than wait for the session to close: the
    // window's thread must not wait on Media Foundation's threads.
    if (session) session->Shutdown();
    if (source) source->Shutdown();
    for (auto& output : sinks) output->ShutdownObject();
    sinks.clear();
    session.reset();
    presentation.reset();
    source.reset();
    if (sink) sink->Release();
  }
};

MediaFoundationHold HoldMediaFoundation() { return MediaFoundation::Acquire(); }

MfMovie::MfMovie(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {}
MfMovie::~MfMovie() = default;

std::unique_ptr<MfMovie> MfMovie::Open(const std::string& path, HWND notify, WPARAM serial) {
  auto impl = std::make_unique<Impl>();
  impl->api = MediaFoundation::Acquire();
  if (!impl->api || !impl->OpenSource(path)) return nullptr;
  impl->serial = serial;
  impl->sink = new MovieSink(notify, serial);
  return std::unique_ptr<MfMovie>(new MfMovie(std::move(impl)));
}

SIZE MfMovie::NativeSize() const { return impl->size; }

WPARAM MfMovie::Serial() const { return impl->serial; }

bool MfMovie::Play(HWND target, const RECT& where, int speed, bool mute) {
  impl->target = target;
  impl->where = where;
  ComPtr<IMFTopology> topology;
  if (!impl->BuildTopology(mute, topology) || FAILED(impl->api->CreateMediaSession(nullptr, impl->session.out())) ||
      FAILED(impl->session->SetTopology(0, topology.get())))
    return false;
  impl->SetRate(speed);
  impl->sink->Listen(impl->session);
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
  HDC dc = GetDC(impl->target);
  if (!dc) return;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, width, height, impl->frame.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(impl->target, dc);
}

}  // namespace velora
