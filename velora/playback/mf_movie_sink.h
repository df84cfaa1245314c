#pragma once
// The side of a Media Foundation movie that Media Foundation's own threads
// call: the sample grabber's frames and the session's events, handed on to
// the window's thread, and what the movie reads of the video's type. Only
// mf_movie.cpp and its tests include it.
#include "velora/playback/media_foundation.h"

#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <vector>

#include "framework/handles.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/core/frame_pacing.h"
#include "velora/playback/core/picture_conversion.h"
#include "velora/playback/core/video_geometry.h"

#if WINVER < 0x0602
// How a phone movie is turned, which Windows 8 began to tell: the headers
// declare it only for Windows 8, the movie's files are built for Windows 7.
DEFINE_GUID(MF_MT_VIDEO_ROTATION, 0xc380465d, 0x2271, 0x428c, 0x9b, 0x83, 0xec, 0xea, 0x3b, 0x4a, 0x85, 0xc1);
#endif

namespace velora {
namespace movie_sink {

// MR_VIDEO_RENDER_SERVICE and IMFVideoDisplayControl's identifier, which
// MinGW's libraries lack: where the renderer is asked for its display control.
const GUID kVideoRenderService = {0x1092a86c, 0xab1a, 0x459a, {0xa3, 0x36, 0x83, 0x1f, 0xbc, 0x4d, 0x11, 0xff}};
const IID kVideoDisplayControl = {0xa490b1e4, 0xab84, 0x4d31, {0xa1, 0xb2, 0x18, 0x1e, 0x03, 0xb1, 0x07, 0x7a}};

// What a session event means for the window; 0 for most, failed ones
// included: a refused rate change leaves the movie playing at normal speed.
inline LPARAM MovieEventFor(MediaEventType type, HRESULT status, UINT32 topologyStatus) {
  switch (type) {
    case MEError:
      return kMovieFailed;
    case MESessionEnded:
      return SUCCEEDED(status) ? kMovieEnded : kMovieFailed;
    case MESessionStarted:
      return FAILED(status) ? kMovieFailed : 0;
    case MESessionTopologySet:
      return FAILED(status) ? kMovieUnresolved : kMovieTopologySet;
    case MESessionTopologyStatus:
      return SUCCEEDED(status) && topologyStatus == MF_TOPOSTATUS_READY ? kMovieReady : 0;
    case MESessionStreamSinkFormatChanged:
      return kMovieReady;
    default:
      return 0;
  }
}

// The picture a video type describes. The decoder may leave out the turn and
// the pixels' shape, which the file's own type (`file`, may be null) then tells.
inline VideoGeometry GeometryOf(IMFMediaType* type, IMFMediaType* file) {
  VideoFormat format;
  UINT64 pair = 0;
  UINT32 value = 0;
  if (FAILED(type->GetUINT64(MF_MT_FRAME_SIZE, &pair))) return {};
  format.width = static_cast<int>(pair >> 32);
  format.height = static_cast<int>(pair & 0xFFFFFFFF);
  GUID subtype{};
  format.planar = SUCCEEDED(type->GetGUID(MF_MT_SUBTYPE, &subtype)) && subtype == MFVideoFormat_NV12;
  if (SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &value))) format.stride = static_cast<int>(value);
  MFVideoArea area{};
  UINT32 bytes = 0;
  auto* blob = reinterpret_cast<UINT8*>(&area);
  if ((SUCCEEDED(type->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, blob, sizeof area, &bytes)) ||
       SUCCEEDED(type->GetBlob(MF_MT_GEOMETRIC_APERTURE, blob, sizeof area, &bytes))) &&
      bytes == sizeof area) {
    format.apertureX = area.OffsetX.value;
    format.apertureY = area.OffsetY.value;
    format.apertureWidth = area.Area.cx;
    format.apertureHeight = area.Area.cy;
  }
  for (IMFMediaType* told : {type, file}) {
    if (told && SUCCEEDED(told->GetUINT64(MF_MT_PIXEL_ASPECT_RATIO, &pair))) {
      format.aspectX = static_cast<unsigned>(pair >> 32);
      format.aspectY = static_cast<unsigned>(pair & 0xFFFFFFFF);
      break;
    }
  }
  for (IMFMediaType* told : {type, file}) {
    if (told && SUCCEEDED(told->GetUINT32(MF_MT_VIDEO_ROTATION, &value))) {
      format.rotation = value;
      break;
    }
  }
  return ComputeVideoGeometry(format);
}

// The colours a video type's brightness and colour differences stand for.
inline ColourMatrix MatrixOf(IMFMediaType* type, int height) {
  UINT32 matrix = MFVideoTransferMatrix_Unknown;
  if (type) type->GetUINT32(MF_MT_YUV_MATRIX, &matrix);
  return matrix == MFVideoTransferMatrix_BT709   ? ColourMatrix::kBt709
         : matrix == MFVideoTransferMatrix_BT601 ? ColourMatrix::kBt601
                                                 : UsualMatrixFor(height);
}

// A lock held for one short step: a pointer or a buffer swapped, never a copy.
class Lock {
 public:
  Lock() { InitializeCriticalSection(&section); }
  ~Lock() { DeleteCriticalSection(&section); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  template <typename Step>
  void Run(Step step) {
    EnterCriticalSection(&section);
    step();
    LeaveCriticalSection(&section);
  }

 private:
  CRITICAL_SECTION section;
};

// Waits to a tenth of a millisecond where Windows can (10, version 1803 on),
// elsewhere at the system timer's finest period, asked for while it lives.
class FrameTimer {
 public:
  FrameTimer() : timer(CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS)) {
    if (timer) return;
    timer.reset(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
    finerPeriod = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
  ~FrameTimer() {
    if (finerPeriod) timeEndPeriod(1);
  }
  FrameTimer(const FrameTimer&) = delete;
  FrameTimer& operator=(const FrameTimer&) = delete;

  // Waits `time` (100 ns units); false when `stop` came first.
  bool Wait(long long time, HANDLE stop) {
    LARGE_INTEGER due;
    due.QuadPart = -time;
    if (!timer || !SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE))
      return WaitForSingleObject(stop, static_cast<DWORD>((time + 9999) / 10000)) == WAIT_TIMEOUT;
    const HANDLE either[] = {stop, timer.get()};
    return WaitForMultipleObjects(2, either, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
  }

 private:
  static constexpr DWORD kHighResolution = 2;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
  fw::UniqueKernelHandle timer;
  bool finerPeriod = false;
};

// A movie's frames and events on their way from Media Foundation's threads
// to the window's thread.
class MovieSink {
 public:
  MovieSink(HWND notify, WPARAM serial)
      : opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        released(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        closed(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        notify(notify),
        serial(serial) {}

  // The file is being read by the resolver, whose answer comes to OnAsync.
  void Opening(const ComPtr<IMFSourceResolver>& reader) {
    lock.Run([&] { resolver = reader; });
  }

  // The source the resolver made, once; null before, or when it made none.
  ComPtr<IMFMediaSource> TakeSource() {
    ComPtr<IMFMediaSource> made;
    lock.Run([&] { made = std::move(source); });
    return made;
  }

  bool WaitUntilOpened(DWORD milliseconds) { return WaitForSingleObject(opened.get(), milliseconds) == WAIT_OBJECT_0; }

  // The resolver's answer, then the session's events; answers whether to
  // wait for the next event.
  bool OnAsync(IMFAsyncResult* result) {
    ComPtr<IMFSourceResolver> reader;
    lock.Run([&] { reader = std::move(resolver); });
    return reader ? OnOpened(reader, result) : OnEvent(result);
  }

  // The movie is let go: nothing more is posted or drawn, a frame waiting for
  // its time is dropped at once, and a source the resolver makes from now on
  // is shut down as it comes. The session's events are still followed, to
  // its closing.
  void Detach() {
    lock.Run([&] {
      notify = drawing = nullptr;
      detached = true;
    });
    SetEvent(released.get());
  }

  // After the session's shutdown: lets it and its clock go.
  void Forget() {
    ComPtr<IMFMediaSession> events;
    ComPtr<IMFPresentationClock> timing;
    lock.Run([&] {
      events = std::move(session);
      timing = std::move(clock);
    });
  }

  void Listen(const ComPtr<IMFMediaSession>& events) {
    lock.Run([&] { session = events; });
  }

  // Where a frame that is due is shown: that window is made to paint.
  void DrawInto(HWND window) {
    lock.Run([&] { drawing = window; });
  }

  // The presentation clock the session gives the grabber; null when taken away.
  void UseClock(IMFPresentationClock* given) {
    if (given) given->AddRef();
    auto timing = ComPtr<IMFPresentationClock>::Adopt(given);
    lock.Run([&] { std::swap(clock, timing); });
  }

  // Whether the session's clock is the sound's (FramePacing).
  void PlaysSound(bool withSound) { heard.store(withSound); }

  bool WaitUntilClosed(DWORD milliseconds) { return WaitForSingleObject(closed.get(), milliseconds) == WAIT_OBJECT_0; }

  // The newest frame, if one came since the last call, swapped into `frame`.
  bool TakeFrame(std::vector<BYTE>& frame) {
    bool taken = false;
    lock.Run([&] {
      if (!hasFrame) return;
      frame.swap(pending);
      hasFrame = false;
      taken = true;
    });
    return taken;
  }

  // One stream thread delivers the frames in turn, each when it is due
  // (FramePacing): the grabber passes them on as decoded, and holding this
  // thread holds the decoding back.
  void Deliver(const BYTE* data, DWORD size, LONGLONG sampleTime, LONGLONG duration) {
    for (;;) {
      const long long wait = pacing.WaitFor(sampleTime, duration, Now(), rate.load());
      if (wait == FramePacing::kDrop) return;
      if (wait == 0) break;
      // Asked again at least every tenth of a second: the clock may stop or move.
      if (!timer.Wait(wait < kRecheck ? wait : kRecheck, released.get())) return;
    }
    if (WaitForSingleObject(released.get(), 0) != WAIT_TIMEOUT) return;
    incoming.assign(data, data + size);
    lock.Run([&] {
      incoming.swap(pending);
      hasFrame = true;
      // Paints are merged and come after input: a slow window sees only the newest frame.
      if (drawing) InvalidateRect(drawing, nullptr, FALSE);
    });
  }

  bool OnOpened(const ComPtr<IMFSourceResolver>& reader, IMFAsyncResult* result) {
    ComPtr<IUnknown> object;
    ComPtr<IMFMediaSource> made, late;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    if (SUCCEEDED(reader->EndCreateObjectFromURL(result, &type, object.out())))
      object->QueryInterface(IID_IMFMediaSource, made.outVoid());
    const bool ok = static_cast<bool>(made);
    lock.Run([&] {
      if (detached)
        late = std::move(made);
      else
        source = std::move(made);
    });
    // Nobody takes a source made for a movie already let go: it lets its file go now.
    if (late) late->Shutdown();
    SetEvent(opened.get());
    Post(ok ? kMovieOpened : kMovieUnopened);
    return false;
  }

  bool OnEvent(IMFAsyncResult* result) {
    ComPtr<IMFMediaSession> events;
    lock.Run([&] { events = session; });
    ComPtr<IMFMediaEvent> event;
    if (!events || FAILED(events->EndGetEvent(result, event.out()))) return false;
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    UINT32 topologyStatus = 0;
    event->GetType(&type);
    event->GetStatus(&status);
    event->GetUINT32(MF_EVENT_TOPOLOGY_STATUS, &topologyStatus);
    // Frames are spaced by the speed the session says it plays at, a float
    // (nothing to free).
    PROPVARIANT value;
    PropVariantInit(&value);
    if (type == MESessionRateChanged && SUCCEEDED(status) && SUCCEEDED(event->GetValue(&value)) &&
        value.vt == VT_R4)
      rate.store(value.fltVal);
    if (type == MESessionClosed) {
      SetEvent(closed.get());
      return false;
    }
    const LPARAM what = MovieEventFor(type, status, topologyStatus);
    if (what) Post(what);
    return true;
  }

  ComPtr<IMFMediaSession> Session() {
    ComPtr<IMFMediaSession> events;
    lock.Run([&] { events = session; });
    return events;
  }

 private:
  static constexpr long long kRecheck = 1000000;

  void Post(LPARAM what) {
    HWND target = nullptr;
    lock.Run([&] { target = notify; });
    if (target) PostMessageA(target, WM_SAVER_MOVIE_EVENT, serial, what);
  }

  FrameClock Now() {
    FrameClock now;
    now.steadyTime = SteadyNow();
    now.heard = heard.load();
    ComPtr<IMFPresentationClock> timing;
    lock.Run([&] { timing = clock; });
    MFCLOCK_STATE state = MFCLOCK_STATE_INVALID;
    MFTIME time = 0;
    now.running = timing && SUCCEEDED(timing->GetState(0, &state)) && state == MFCLOCK_STATE_RUNNING &&
                  SUCCEEDED(timing->GetTime(&time));
    now.movieTime = time;
    return now;
  }

  // The performance counter in 100 ns units; in a double, the product cannot
  // overflow and stays exact to well below a microsecond for years of uptime.
  static LONGLONG SteadyNow() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<LONGLONG>(static_cast<double>(now.QuadPart) * 1e7 / static_cast<double>(frequency.QuadPart));
  }

  Lock lock;
  std::atomic<float> rate{1.0f};
  std::atomic<bool> heard{false};
  fw::UniqueKernelHandle opened;
  fw::UniqueKernelHandle released;
  fw::UniqueKernelHandle closed;
  // Guarded by the lock:
  HWND notify;
  HWND drawing = nullptr;
  bool detached = false;
  ComPtr<IMFSourceResolver> resolver;
  ComPtr<IMFMediaSource> source;
  ComPtr<IMFMediaSession> session;
  ComPtr<IMFPresentationClock> clock;
  std::vector<BYTE> pending;
  bool hasFrame = false;
  // The stream thread's own:
  std::vector<BYTE> incoming;
  FramePacing pacing;
  FrameTimer timer;
  const WPARAM serial;
};

// What Media Foundation holds of a movie: a small object that passes its
// calls on to the movie's sink until the movie cuts it off. Media Foundation
// may keep it after the movie is gone; then it holds nothing of the movie.
class MovieCallbacks final : public IMFSampleGrabberSinkCallback, public IMFAsyncCallback {
 public:
  explicit MovieCallbacks(std::shared_ptr<MovieSink> sink) : sink(std::move(sink)) {}

  void Detach() {
    std::shared_ptr<MovieSink> dropped;
    lock.Run([&] { dropped = std::move(sink); });
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

  // IMFSampleGrabberSinkCallback
  STDMETHODIMP OnSetPresentationClock(IMFPresentationClock* clock) override {
    if (auto target = Target()) target->UseClock(clock);
    return S_OK;
  }
  STDMETHODIMP OnShutdown() override { return S_OK; }
  STDMETHODIMP OnProcessSample(REFGUID, DWORD, LONGLONG time, LONGLONG duration, const BYTE* data,
                               DWORD size) override {
    if (auto target = Target()) target->Deliver(data, size, time, duration);
    return S_OK;
  }

  // IMFAsyncCallback: the session's events.
  STDMETHODIMP GetParameters(DWORD*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(IMFAsyncResult* result) override {
    auto target = Target();
    if (target && target->OnAsync(result)) Listen(*target);
    return S_OK;
  }

  void Listen(MovieSink& target) {
    if (auto events = target.Session()) events->BeginGetEvent(this, nullptr);
  }

 private:
  ~MovieCallbacks() = default;

  std::shared_ptr<MovieSink> Target() {
    std::shared_ptr<MovieSink> target;
    lock.Run([&] { target = sink; });
    return target;
  }

  std::atomic<ULONG> references{1};
  Lock lock;
  std::shared_ptr<MovieSink> sink;
};

}  // namespace movie_sink
}  // namespace velora
