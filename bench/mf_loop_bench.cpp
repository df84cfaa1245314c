// Media Foundation alone, with nothing of velora's: plays short movies one
// after another, each through its own source, topology (video to a sample
// grabber in 32-bit RGB whose frames are dropped, no sound) and media
// session, all released after the movie's end, and samples the process's
// handles and private memory after each movie. What grows here grows in
// Media Foundation itself, whatever a player does.
//   mf_loop_bench.exe [--one-session] CHANGES WARMUP MOVIE...
// --one-session keeps one media session for all movies (a new topology each).
// Prints the time per movie (open to end), the time from opening to the first
// frame (what a change costs when nothing is prepared ahead), and the growth
// from movie WARMUP on.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "process_counters.h"
#include "static_grabber_callback.h"

namespace {

alignas(8) volatile LONGLONG firstFrameAt;  // performance counter at the movie's first frame; 0 before

// Frames are taken and dropped: the cost of drawing is not Media Foundation's.
class Grabber : public StaticGrabberCallback {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IMFSampleGrabberSinkCallback && iid != IID_IMFClockStateSink)
      return *out = nullptr, E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP OnProcessSample(REFGUID, DWORD, LONGLONG, LONGLONG, const BYTE*, DWORD) override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    InterlockedCompareExchange64(&firstFrameAt, now.QuadPart, 0);
    return S_OK;
  }
} grabber;

template <typename T>
void Drop(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// Waits for the session's end; false on its failure or after 10 s without
// it (polled every millisecond, so a stuck session cannot hold the bench).
bool WaitForEnd(IMFMediaSession* session) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 10000) {
    IMFMediaEvent* event = nullptr;
    const HRESULT got = session->GetEvent(MF_EVENT_FLAG_NO_WAIT, &event);
    if (got == MF_E_NO_EVENTS_AVAILABLE) {
      Sleep(1);
      continue;
    }
    if (FAILED(got)) return false;
    MediaEventType type = MEUnknown;
    HRESULT status = S_OK;
    event->GetType(&type);
    event->GetStatus(&status);
    event->Release();
    if (FAILED(status) || type == MEError) return false;
    if (type == MESessionEnded) return true;
  }
  return false;
}

// One movie, open to end; the session is made here unless one is given.
bool PlayOnce(const wchar_t* path, IMFMediaSession* shared) {
  IMFSourceResolver* resolver = nullptr;
  IUnknown* object = nullptr;
  IMFMediaSource* source = nullptr;
  IMFPresentationDescriptor* presentation = nullptr;
  IMFTopology* topology = nullptr;
  IMFActivate* output = nullptr;
  IMFMediaSession* session = shared;
  MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
  bool ended = false;
  if (SUCCEEDED(MFCreateSourceResolver(&resolver)) &&
      SUCCEEDED(resolver->CreateObjectFromURL(path, MF_RESOLUTION_MEDIASOURCE, nullptr, &type, &object)) &&
      SUCCEEDED(object->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(&source))) &&
      SUCCEEDED(source->CreatePresentationDescriptor(&presentation)) && SUCCEEDED(MFCreateTopology(&topology))) {
    DWORD count = 0;
    presentation->GetStreamDescriptorCount(&count);
    for (DWORD i = 0; i < count; ++i) {
      BOOL selected = FALSE;
      IMFStreamDescriptor* stream = nullptr;
      IMFMediaTypeHandler* handler = nullptr;
      GUID major{};
      presentation->GetStreamDescriptorByIndex(i, &selected, &stream);
      stream->GetMediaTypeHandler(&handler);
      handler->GetMajorType(&major);
      Drop(handler);
      if (major != MFMediaType_Video || output) {
        presentation->DeselectStream(i);
        Drop(stream);
        continue;
      }
      IMFMediaType* rgb = nullptr;
      MFCreateMediaType(&rgb);
      rgb->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
      rgb->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32);
      MFCreateSampleGrabberSinkActivate(rgb, &grabber, &output);
      Drop(rgb);
      IMFTopologyNode *from = nullptr, *to = nullptr;
      MFCreateTopologyNode(MF_TOPOLOGY_SOURCESTREAM_NODE, &from);
      from->SetUnknown(MF_TOPONODE_SOURCE, source);
      from->SetUnknown(MF_TOPONODE_PRESENTATION_DESCRIPTOR, presentation);
      from->SetUnknown(MF_TOPONODE_STREAM_DESCRIPTOR, stream);
      MFCreateTopologyNode(MF_TOPOLOGY_OUTPUT_NODE, &to);
      to->SetObject(output);
      topology->AddNode(from);
      topology->AddNode(to);
      from->ConnectOutput(0, to, 0);
      Drop(from);
      Drop(to);
      Drop(stream);
    }
    if (output && (session || SUCCEEDED(MFCreateMediaSession(nullptr, &session))) &&
        SUCCEEDED(session->SetTopology(MFSESSION_SETTOPOLOGY_IMMEDIATE, topology))) {
      PROPVARIANT start;
      PropVariantInit(&start);
      ended = SUCCEEDED(session->Start(&GUID_NULL, &start)) && WaitForEnd(session);
    }
  }
  if (session && session != shared) {
    session->Shutdown();
    Drop(session);
  } else if (session) {
    session->ClearTopologies();
  }
  if (source) source->Shutdown();
  if (output) output->ShutdownObject();
  Drop(output);
  Drop(topology);
  Drop(presentation);
  Drop(source);
  Drop(object);
  Drop(resolver);
  return ended;
}

struct Sample {
  DWORD handles;
  SIZE_T privateBytes;
};

// Under Wine, this process's handles are found in the system's list and its
// private memory is its Linux process's anonymous resident memory.
Sample Now() {
  Sample now{};
  now.handles = bench::HandlesInSystemList(GetCurrentProcessId());
  static const unsigned long linuxPid = bench::FindLinuxProcess(GetCommandLineA());
  now.privateBytes = bench::LinuxPrivateBytes(linuxPid);
  return now;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const bool oneSession = argc > 1 && std::strcmp(argv[1], "--one-session") == 0;
  if (oneSession) ++first;
  if (argc - first < 3) {
    std::fprintf(stderr, "usage: mf_loop_bench [--one-session] CHANGES WARMUP MOVIE...\n");
    return 2;
  }
  const int changes = std::atoi(argv[first]), warmup = std::atoi(argv[first + 1]);
  std::vector<std::vector<wchar_t>> movies;
  for (int i = first + 2; i < argc; ++i) {
    std::vector<wchar_t> path(MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, argv[i], -1, path.data(), MAX_PATH);
    movies.push_back(path);
  }
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(MFStartup(MF_VERSION, MFSTARTUP_LITE))) return 1;
  IMFMediaSession* shared = nullptr;
  if (oneSession && FAILED(MFCreateMediaSession(nullptr, &shared))) return 1;

  std::vector<double> times, firstFrames;
  Sample atWarmup{};
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  for (int change = 1; change <= changes; ++change) {
    QueryPerformanceCounter(&before);
    InterlockedExchange64(&firstFrameAt, 0);
    if (!PlayOnce(movies[(change - 1) % movies.size()].data(), shared)) {
      std::printf("movie %d did not play to its end\n", change);
      return 1;
    }
    QueryPerformanceCounter(&after);
    times.push_back(1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart);
    firstFrames.push_back(1000.0 * (firstFrameAt - before.QuadPart) / frequency.QuadPart);
    const Sample now = Now();
    if (change == warmup) atWarmup = now;
    if (change % 25 == 0 || change == changes)
      std::printf("movie %4d: handles %lu, private %lu KB\n", change, now.handles,
                  static_cast<unsigned long>(now.privateBytes / 1024));
  }
  const Sample end = Now();
  std::sort(times.begin(), times.end());
  std::sort(firstFrames.begin(), firstFrames.end());
  const int grown = changes - std::max(warmup, 1);
  std::printf("%s: median %.0f ms per movie (open to end), %.0f ms from open to first frame, over %d movies\n",
              oneSession ? "one session" : "a session per movie", times[times.size() / 2],
              firstFrames[firstFrames.size() / 2], changes);
  if (grown > 0)
    std::printf("from movie %d to %d: handles %+ld, private %+ld KB (%.2f handles, %.1f KB per movie)\n", warmup,
                changes, static_cast<long>(end.handles) - static_cast<long>(atWarmup.handles),
                static_cast<long>(end.privateBytes / 1024) - static_cast<long>(atWarmup.privateBytes / 1024),
                (static_cast<double>(end.handles) - atWarmup.handles) / grown,
                (static_cast<double>(end.privateBytes) - atWarmup.privateBytes) / 1024.0 / grown);
  if (shared) {
    shared->Shutdown();
    shared->Release();
  }
  return 0;
}
