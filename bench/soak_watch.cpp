// Watches a program through a long run and samples what it holds: memory,
// kernel handles, GDI and USER objects. What counts as one step of the run
// depends on the program:
//
//   soak_watch.exe [options] COMMAND_LINE
//     (default)            movie changes: the screen centre turns from one of
//                          two clip colours to the other (whatever black lies between)
//     --frames             fractal frames: any change of a grid of screen points
//     --preview            a preview: the watcher makes a host window and puts its
//                          handle where the command line says %HWND%; a step is
//                          ten seconds of running
//     --changes N          steps to watch (default 50)
//     --warmup N           the step from which growth is judged (default 10)
//     --max-private-kb KB  allowed private-memory growth after the warm-up (default 1024)
//     --max-handles N      allowed handle growth after the warm-up (default 2)
//     --colours AAAAAA,BBBBBB  the two clips' flat colours (default ff0000,0000ff)
//     --tolerance T        per-channel tolerance of the colours (default 60)
//     --timeout MS         give up when no step comes for this long (default 10000)
//
// The program is ended by its own handle at the end.
#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "process_counters.h"
#include "watch_common.h"

namespace {

using bench::HandlesInSystemList;
using bench::LinuxPrivateBytes;
using bench::QuerySystem;
using bench::FindLinuxProcess;

struct Sample {
  int change = 0;
  double atMs = 0;
  SIZE_T workingSet = 0;
  SIZE_T privateBytes = 0;
  SIZE_T virtualSize = 0;
  DWORD handles = 0;
  DWORD windows = 0;
  DWORD gdiObjects = 0;
  DWORD userObjects = 0;
  const char* privateFrom = "GetProcessMemoryInfo";
  const char* handlesFrom = "GetProcessHandleCount";
};

// The virtual size, from the system's process list. (Wine's handle count
// there is the handle table's capacity, in powers of two: not used.)
SIZE_T VirtualSize(DWORD processId) {
  const int kSystemProcessInformation = 5;
  const std::vector<unsigned char> list = QuerySystem(kSystemProcessInformation);
  for (size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= list.size();) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(list.data() + at);
    if (reinterpret_cast<UINT_PTR>(entry->UniqueProcessId) == processId)
      return entry->VirtualMemoryCounters.VirtualSize;
    if (entry->NextEntryOffset == 0) break;
    at += entry->NextEntryOffset;
  }
  return 0;
}

struct WindowCount {
  DWORD processId;
  DWORD windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++reinterpret_cast<WindowCount*>(param)->windows;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
  auto* count = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == count->processId) {
    ++count->windows;
    EnumChildWindows(window, CountChild, param);
  }
  return TRUE;
}

// The process's windows, hidden ones and child windows included.
DWORD CountWindows(DWORD processId) {
  WindowCount count{processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count.windows;
}

Sample Take(HANDLE process, unsigned long linuxPid, int change, double atMs) {
  const DWORD processId = GetProcessId(process);
  Sample s;
  s.change = change;
  s.atMs = atMs;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    s.workingSet = memory.WorkingSetSize;
    s.privateBytes = memory.PrivateUsage;
  }
  if (s.privateBytes == 0 && (s.privateBytes = LinuxPrivateBytes(linuxPid)) != 0)
    s.privateFrom = "Linux RssAnon";
  s.virtualSize = VirtualSize(processId);
  if (!GetProcessHandleCount(process, &s.handles) || s.handles == 0) {
    s.handles = HandlesInSystemList(processId);
    s.handlesFrom = "the system handle list";
  }
  s.windows = CountWindows(processId);
  s.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
  s.userObjects = GetGuiResources(process, GR_USEROBJECTS);
  return s;
}

// The first sample, a few early ones, every hundredth, the warm-up and the last.
bool Reported(int change, int last, int warmup) {
  return change <= 1 || change == 10 || change == 25 || change == 50 || change % 100 == 0 ||
         change == warmup || change == last;
}

// What counts as one step of the run.
enum class Mode { Movies, Frames, Preview };

// A grid of screen points; a new fractal frame changes some of them.
class ScreenGrid {
 public:
  ScreenGrid() : dc_(GetDC(nullptr)) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    for (int i = 1; i <= 4; ++i)
      for (int j = 1; j <= 4; ++j) points_.push_back({w * i / 5, h * j / 5});
  }
  ~ScreenGrid() { ReleaseDC(nullptr, dc_); }
  ScreenGrid(const ScreenGrid&) = delete;
  ScreenGrid& operator=(const ScreenGrid&) = delete;
  std::vector<COLORREF> Read() const {
    std::vector<COLORREF> colours;
    for (const POINT& p : points_) colours.push_back(GetPixel(dc_, p.x, p.y));
    return colours;
  }

 private:
  HDC dc_;
  std::vector<POINT> points_;
};

// A visible top-level window on a thread of its own that answers messages, so
// that a preview in another process can live inside it.
class HostWindow {
 public:
  HostWindow() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &Run, this, 0, &threadId_);
    WaitForSingleObject(ready_, 10000);
  }
  ~HostWindow() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* host = static_cast<HostWindow*>(self);
    host->hwnd_ = CreateWindowExA(0, "STATIC", "Soak preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                  340, 280, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetEvent(host->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DestroyWindow(host->hwnd_);
    return 0;
  }
  HANDLE ready_ = nullptr, thread_ = nullptr;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

void PrintRow(const Sample& s) {
  const std::string label = s.change == 0 ? "first" : std::to_string(s.change);
  std::printf("  %-7s %7.1f %9.0f %10.0f %9.0f %8lu %7lu %5lu %5lu\n", label.c_str(),
              s.atMs / 1000.0, s.workingSet / 1024.0, s.privateBytes / 1024.0,
              s.virtualSize / 1024.0, static_cast<unsigned long>(s.handles),
              static_cast<unsigned long>(s.windows), static_cast<unsigned long>(s.gdiObjects),
              static_cast<unsigned long>(s.userObjects));
}

double GrowthKb(SIZE_T from, SIZE_T to) {
  return (static_cast<double>(to) - static_cast<double>(from)) / 1024.0;
}

long Growth(DWORD from, DWORD to) { return static_cast<long>(to) - static_cast<long>(from); }

int Usage() {
  std::fprintf(stderr,
               "usage: soak_watch [--frames | --preview] [--changes N] [--warmup N] [--max-private-kb KB] "
               "[--max-handles N] [--colours AAAAAA,BBBBBB] [--tolerance T] [--timeout MS] COMMAND_LINE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Mode mode = Mode::Movies;
  int changes = 50, tolerance = 60, warmup = 10;
  double timeoutMs = 10000, maxPrivateKb = 1024;
  long maxHandles = 2;
  COLORREF colours[2] = {RGB(255, 0, 0), RGB(0, 0, 255)};
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--frames") {
      mode = Mode::Frames;
    } else if (arg == "--preview") {
      mode = Mode::Preview;
    } else if (arg == "--changes" && hasValue) {
      changes = std::atoi(argv[++i]);
    } else if (arg == "--warmup" && hasValue) {
      warmup = std::atoi(argv[++i]);
    } else if (arg == "--max-private-kb" && hasValue) {
      maxPrivateKb = std::atof(argv[++i]);
    } else if (arg == "--max-handles" && hasValue) {
      maxHandles = std::atol(argv[++i]);
    } else if (arg == "--colours" && hasValue) {
      std::string both = argv[++i];
      const size_t comma = both.find(',');
      if (comma == std::string::npos ||
          !bench::ParseColour(both.substr(0, comma).c_str(), colours[0]) ||
          !bench::ParseColour(both.substr(comma + 1).c_str(), colours[1]))
        return Usage();
    } else if (arg == "--tolerance" && hasValue) {
      tolerance = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && hasValue) {
      timeoutMs = std::atof(argv[++i]);
    } else if (commandLine.empty() && arg[0] != '-') {
      commandLine = arg;
    } else {
      return Usage();
    }
  }
  if (commandLine.empty() || changes < 1) return Usage();

  timeBeginPeriod(1);
  std::unique_ptr<HostWindow> host;
  if (mode == Mode::Preview) {
    host = std::make_unique<HostWindow>();
    const size_t at = commandLine.find("%HWND%");
    if (!host->hwnd() || at == std::string::npos) return Usage();
    commandLine.replace(at, 6, std::to_string(reinterpret_cast<UINT_PTR>(host->hwnd())));
  }
  bench::ScreenPixel pixel;
  ScreenGrid grid;
  std::vector<COLORREF> lastGrid = grid.Read(), previousGrid = lastGrid;
  bench::Target target(commandLine);
  if (!target.Started()) {
    std::printf("could not start %s\n", commandLine.c_str());
    return 1;
  }
  const double start = bench::NowMs();
  double lastEvent = start;
  const double kPreviewStepMs = 10000;
  unsigned long linuxPid = 0;
  int shown = -1;  // movies: the colour the centre showed last: 0, 1, or -1 before the first movie
  int seen = -1;   // steps seen; -1 until the run has begun
  std::vector<Sample> samples;  // one when the run begins and one at every step
  bool stalled = false;
  while (seen < changes) {
    const double now = bench::NowMs();
    bool step = false;
    if (mode == Mode::Movies) {
      const COLORREF colour = pixel.Read();
      const int which = bench::Near(colour, colours[0], tolerance)   ? 0
                        : bench::Near(colour, colours[1], tolerance) ? 1
                                                                     : -1;
      step = which >= 0 && which != shown;
      if (step) shown = which;
    } else if (mode == Mode::Frames) {
      // A frame counts once its picture holds still for two reads: a read in
      // the middle of the copy to the screen must not count twice.
      std::vector<COLORREF> now = grid.Read();
      step = now == previousGrid && now != lastGrid;
      if (step) lastGrid = now;
      previousGrid = std::move(now);
    } else {
      step = seen < 0 ? target.HasVisibleWindow() || now - start > 2000 : now - lastEvent >= kPreviewStepMs;
    }
    if (step) {
      if (++seen == 0) linuxPid = FindLinuxProcess(commandLine);
      lastEvent = now;
      samples.push_back(Take(target.handle(), linuxPid, seen, now - start));
    }
    if ((mode != Mode::Preview && now - lastEvent > timeoutMs) || !target.Running()) {
      stalled = true;
      break;
    }
    // The host window's thread answers the preview; this one only looks.
    Sleep(1);
  }
  if (seen < 0) seen = 0;
  const double elapsed = bench::NowMs() - start;
  target.End();
  timeEndPeriod(1);

  const char* what = mode == Mode::Movies ? "movie changes" : mode == Mode::Frames ? "frames" : "10 s steps";
  std::printf("%s seen: %d of %d in %.1f s (%.0f ms each)%s\n", what, seen, changes, elapsed / 1000.0,
              seen ? (samples.back().atMs - samples.front().atMs) / seen : 0.0,
              stalled ? "; stalled: no step within the timeout, or the program ended" : "");
  std::printf("  %-7s %7s %9s %10s %9s %8s %7s %5s %5s\n", "step", "time s", "wset KB",
              "private KB", "virt KB", "handles", "windows", "GDI", "USER");
  for (const Sample& s : samples)
    if (Reported(s.change, seen, warmup)) PrintRow(s);
  if (samples.empty()) {
    std::printf("verdict: nothing seen\n");
    return 1;
  }
  std::printf("  (private bytes from %s, handles from %s)\n", samples.back().privateFrom,
              samples.back().handlesFrom);

  // Judged from the warm-up on, when start-up allocations are done, to the
  // largest value after it, so that a slow climb shows even if the last
  // sample dips.
  const int baseChange = std::min(warmup, seen);
  const Sample& base = *std::find_if(samples.begin(), samples.end(),
                                     [&](const Sample& s) { return s.change >= baseChange; });
  Sample peak = base;
  for (const Sample& s : samples) {
    if (s.change < base.change) continue;
    peak.workingSet = std::max(peak.workingSet, s.workingSet);
    peak.privateBytes = std::max(peak.privateBytes, s.privateBytes);
    peak.virtualSize = std::max(peak.virtualSize, s.virtualSize);
    peak.handles = std::max(peak.handles, s.handles);
    peak.windows = std::max(peak.windows, s.windows);
    peak.gdiObjects = std::max(peak.gdiObjects, s.gdiObjects);
    peak.userObjects = std::max(peak.userObjects, s.userObjects);
  }
  const double privateKb = GrowthKb(base.privateBytes, peak.privateBytes);
  const double wsetKb = GrowthKb(base.workingSet, peak.workingSet);
  const double virtKb = GrowthKb(base.virtualSize, peak.virtualSize);
  const long handles = Growth(base.handles, peak.handles);
  const long windows = Growth(base.windows, peak.windows);
  const long gdi = Growth(base.gdiObjects, peak.gdiObjects);
  const long user = Growth(base.userObjects, peak.userObjects);
  std::printf("growth from step %d to the peak of the %d steps after it: private %+.0f KB, "
              "working set %+.0f KB, virtual %+.0f KB, handles %+ld, windows %+ld, GDI %+ld, USER %+ld\n",
              base.change, seen - base.change, privateKb, wsetKb, virtKb, handles, windows, gdi,
              user);
  if (peak.gdiObjects == 0 && peak.userObjects == 0)
    std::printf("note: GetGuiResources reports 0 GDI and USER objects on this system (not "
                "counted); judged on memory, handles and windows\n");
  if (peak.privateBytes == 0) std::printf("note: no private-bytes figure on this system\n");

  // Allowances: a little heap and page noise, but not a handle, a GDI object
  // or a mapping per step.
  const bool memoryFlat = privateKb <= maxPrivateKb && wsetKb <= 2048 && virtKb <= 4096;
  const bool handlesFlat = handles <= maxHandles;
  const bool gdiFlat = gdi <= 2 && user <= 2 && windows <= 0;
  const bool complete = !stalled && seen >= changes;
  std::printf("verdict: %s (memory %s, handles %s, windows/GDI/USER %s)\n",
              !complete ? "INCOMPLETE" : memoryFlat && handlesFlat && gdiFlat ? "FLAT" : "GROWING",
              memoryFlat ? "flat" : "grows", handlesFlat ? "flat" : "grow",
              gdiFlat ? "flat" : "grow");
  return complete ? 0 : 1;
}
