#pragma once
// The side of a Media Foundation movie that Media Foundation's own threads
// call: the sample grabber's frames and the session's events, handed on to
// the window's thread. Only mf_movie.cpp includes it.
#include "velora/playback/media_foundation.h"

#include <atomic>
#include <memory>
#include <vector>

#include "framework/handles.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/core/frame_pacing.h"

namespace velora {
namespace movie_sink {

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

// A movie's frames and events on their way from Media Foundation's threads
// to the window's thread.
class MovieSink {
 public:
  MovieSink(HWND notify, WPARAM serial)
      : opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        released(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
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

  // After this nothing more is posted, the session is let go and a frame
  // waiting for its time is dropped at once.
  void Detach() {
    ComPtr<IMFMediaSession> dropped;
    lock.Run([&] {
      notify = nullptr;
      dropped = std::move(session);
    });
    SetEvent(released.get());
  }

  // The speed the movie plays at, set before it starts: frames are spaced by it.
  void PaceAt(float speed) { rate.store(speed); }

  void Listen(const ComPtr<IMFMediaSession>& events) {
    lock.Run([&] { session = events; });
  }

  // The newest frame, if one came since the last call, swapped into `frame`.
  bool TakeFrame(std::vector<BYTE>& frame) {
    framePosted.store(false);
    bool taken = false;
    lock.Run([&] {
      if (!hasFrame) return;
      frame.swap(pending);
      hasFrame = false;
      taken = true;
    });
    return taken;
  }

  // One stream thread delivers the frames in turn, each when it is due: the
  // grabber passes them on as decoded, and holding this thread holds the
  // decoding back, as the presentation clock would.
  void Deliver(const BYTE* data, DWORD size, LONGLONG sampleTime) {
    const DWORD wait = pacing.WaitFor(sampleTime, SteadyNow(), rate.load());
    if (WaitForSingleObject(released.get(), wait) != WAIT_TIMEOUT) return;
    incoming.assign(data, data + size);
    HWND target = nullptr;
    lock.Run([&] {
      incoming.swap(pending);
      hasFrame = true;
      target = notify;
    });
    // One message at a time: a slow window sees only the newest frame.
    if (target && !framePosted.exchange(true)) PostMessageA(target, WM_SAVER_MOVIE_FRAME, serial, 0);
  }

  bool OnOpened(const ComPtr<IMFSourceResolver>& reader, IMFAsyncResult* result) {
    ComPtr<IUnknown> object;
    ComPtr<IMFMediaSource> made;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    if (SUCCEEDED(reader->EndCreateObjectFromURL(result, &type, object.out())))
      object->QueryInterface(IID_IMFMediaSource, made.outVoid());
    const bool ok = static_cast<bool>(made);
    lock.Run([&] { source = std::move(made); });
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
    event->GetType(&type);
    event->GetStatus(&status);
    if (type == MESessionEnded && SUCCEEDED(status)) {
      Post(kMovieEnded);
    } else if (FAILED(status) || type == MEError) {
      Post(kMovieFailed);
    } else {
      return type != MESessionClosed;
    }
    return false;
  }

  ComPtr<IMFMediaSession> Session() {
    ComPtr<IMFMediaSession> events;
    lock.Run([&] { events = session; });
    return events;
  }

 private:
  void Post(LPARAM what) {
    HWND target = nullptr;
    lock.Run([&] { target = notify; });
    if (target) PostMessageA(target, WM_SAVER_MOVIE_EVENT, serial, what);
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
  std::atomic<bool> framePosted{false};
  std::atomic<float> rate{1.0f};
  fw::UniqueKernelHandle opened;
  fw::UniqueKernelHandle released;
  // Guarded by the lock:
  HWND notify;
  ComPtr<IMFSourceResolver> resolver;
  ComPtr<IMFMediaSource> source;
  ComPtr<IMFMediaSession> session;
  std::vector<BYTE> pending;
  bool hasFrame = false;
  // The stream thread's own:
  std::vector<BYTE> incoming;
  FramePacing pacing;
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
  STDMETHODIMP OnSetPresentationClock(IMFPresentationClock*) override { return S_OK; }
  STDMETHODIMP OnShutdown() override { return S_OK; }
  STDMETHODIMP OnProcessSample(REFGUID, DWORD, LONGLONG time, LONGLONG, const BYTE* data, DWORD size) override {
    if (auto target = Target()) target->Deliver(data, size, time);
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

// The pixel rows of a frame: the decoder may add rows below the picture
// (1080 lines are coded as 1088) or pad each row.
inline bool FrameLayout(size_t bytes, int width, int height, int& rowPixels) {
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

}  // namespace movie_sink
}  // namespace velora
