// Watches previews from the side of the window that hosts them, as the
// system's screen-saver settings do: this program makes the host window and
// starts the preview program with its handle ("%HWND%" in a command line).
//
//   preview_watch.exe startup [--runs N] [--warmup N] [--timeout MS] NAME=COMMAND_LINE...
//     Times each program, alternating, from its start to its first painted
//     child window; medians and the ratio of the first program to the second.
//   preview_watch.exe hold [--seconds S] [--every S] COMMAND_LINE
//     Keeps one preview in the host for S seconds and samples the GDI
//     objects and windows of its process every few seconds; then closes the
//     host, as the settings do, and reports how the process ended.
//   preview_watch.exe show [--seconds S] COMMAND_LINE
//     Moves the painted preview onto the desktop at the screen's top left
//     corner for S seconds, to be looked at or photographed (Wine shows
//     nothing that a child of another process's window paints).
//
// A child window counts as painted once it is visible and its update region
// is empty: it is created visible, which makes all of it invalid, and only
// its first WM_PAINT validates it.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gdi_objects.h"
#include "watch_common.h"

namespace {

constexpr int kHostWidth = 152, kHostHeight = 112;  // the settings page's little monitor

struct Options {
  int runs = 15;
  int warmup = 1;
  double timeoutMs = 15000;
  double seconds = 600;
  double everySeconds = 30;
};

// Handles the messages that a preview sends to its host while this program
// waits, for up to `ms` or until the handle is signalled. Polling callers
// come back every `stepMs`; others sleep until a message arrives.
bool PumpFor(double ms, HANDLE handle = nullptr, double stepMs = 1e9) {
  const double deadline = bench::NowMs() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    const double left = deadline - bench::NowMs();
    if (left <= 0) return false;
    const DWORD wait = MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE,
                                                 static_cast<DWORD>(std::min(left, stepMs) + 0.5), QS_ALLINPUT);
    if (handle && wait == WAIT_OBJECT_0) return true;
  }
}

class Host {
 public:
  Host() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "PreviewWatchHost";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 240,
                            180, kHostWidth, kHostHeight, nullptr, nullptr, wc.hInstance, nullptr);
    PumpFor(100);
  }
  ~Host() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND Child() const { return GetWindow(hwnd_, GW_CHILD); }
  // The command line with the host's handle in place of %HWND%.
  std::string Fill(std::string commandLine) const {
    const size_t at = commandLine.find("%HWND%");
    if (at != std::string::npos)
      commandLine.replace(at, 6, std::to_string(reinterpret_cast<UINT_PTR>(hwnd_)));
    return commandLine;
  }

 private:
  HWND hwnd_ = nullptr;
};

struct Startup {
  double window = -1;   // ms from the start until the child window was seen
  double painted = -1;  // ms from the start until it had painted
};

// Waits for the target's first painted child in the host.
Startup WaitForPaint(const Host& host, const bench::Target& target, double start, double timeoutMs) {
  Startup seen;
  for (;;) {
    const HWND child = host.Child();
    const double now = bench::NowMs() - start;
    if (child && IsWindowVisible(child)) {
      if (seen.window < 0) seen.window = now;
      if (!GetUpdateRect(child, nullptr, FALSE)) {
        seen.painted = now;
        return seen;
      }
    }
    if (now > timeoutMs || !target.Running()) return seen;
    PumpFor(1, nullptr, 1);
  }
}

// Closes the preview as its host would and answers the exit code, -1 if it
// did not end by itself.
long CloseAndWait(HWND window, bench::Target& target) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  long code = -1;
  DWORD exitCode = 0;
  if (PumpFor(10000, target.handle()) && GetExitCodeProcess(target.handle(), &exitCode))
    code = static_cast<long>(exitCode);
  target.End();
  return code;
}

struct Program {
  std::string name;
  std::string commandLine;
  std::vector<double> window, painted;  // per good run
  std::vector<double> paintedByRound;   // -1 for a failed run
  int failures = 0;
  int badExits = 0;
};

void RunOnce(Program& program, int run, const Host& host, const Options& options) {
  const double start = bench::NowMs();
  bench::Target target(host.Fill(program.commandLine));
  Startup seen;
  if (target.Started()) seen = WaitForPaint(host, target, start, options.timeoutMs);
  long code = -1;
  if (const HWND child = host.Child())
    code = CloseAndWait(child, target);
  else
    target.End();
  if (seen.painted < 0) {
    std::printf("%-8s run %2d: no painted preview within %.0f ms\n", program.name.c_str(), run, options.timeoutMs);
    ++program.failures;
    program.paintedByRound.push_back(-1);
    return;
  }
  if (code != 0) ++program.badExits;
  program.window.push_back(seen.window);
  program.painted.push_back(seen.painted);
  program.paintedByRound.push_back(seen.painted);
  std::printf("%-8s run %2d: window %6.1f ms, painted %6.1f ms, exit %ld\n", program.name.c_str(), run, seen.window,
              seen.painted, code);
  std::fflush(stdout);
}

int TimeStartup(std::vector<Program>& programs, const Options& options) {
  Host host;
  for (int run = 1; run <= options.warmup; ++run) {
    for (const Program& program : programs) {
      Program scratch = program;
      scratch.name = "(warm-up " + program.name + ")";
      RunOnce(scratch, run, host, options);
    }
  }
  for (int run = 1; run <= options.runs; ++run) {
    const bool reversed = run % 2 == 0;
    for (size_t k = 0; k < programs.size(); ++k)
      RunOnce(programs[reversed ? programs.size() - 1 - k : k], run, host, options);
  }

  std::printf("\nmedians, ms from the start (runs good/failed, exits other than 0): window, first paint\n");
  for (const Program& p : programs)
    std::printf("  %-8s (%2zu/%d, %d)  window %6.1f  painted %6.1f  [fastest %6.1f]\n", p.name.c_str(),
                p.painted.size(), p.failures, p.badExits, bench::Median(p.window), bench::Median(p.painted),
                p.painted.empty() ? 0 : *std::min_element(p.painted.begin(), p.painted.end()));
  for (const Program& p : programs)
    if (p.painted.empty()) return 1;
  if (programs.size() >= 2) {
    const Program& a = programs[0];
    const Program& b = programs[1];
    std::vector<double> paired;
    for (size_t r = 0; r < a.paintedByRound.size() && r < b.paintedByRound.size(); ++r)
      if (a.paintedByRound[r] > 0 && b.paintedByRound[r] > 0) paired.push_back(a.paintedByRound[r] / b.paintedByRound[r]);
    std::printf("ratio %s/%s, first paint: %.3f (medians); median of the %zu per-round ratios: %.3f; "
                "ratio of the fastest runs: %.3f\n",
                a.name.c_str(), b.name.c_str(), bench::Median(a.painted) / bench::Median(b.painted), paired.size(),
                bench::Median(paired),
                *std::min_element(a.painted.begin(), a.painted.end()) /
                    *std::min_element(b.painted.begin(), b.painted.end()));
  }
  return 0;
}

// The preview's GDI objects between two paints: each paint holds a few for
// a moment, so the least of several readings over a tick.
long SettledGdiObjects(HANDLE process) {
  long least = -1;
  for (int i = 0; i < 12; ++i) {
    const long count = bench::GdiObjectCount(process);
    if (count >= 0 && (least < 0 || count < least)) least = count;
    PumpFor(25);
  }
  return least;
}

struct WindowCount {
  DWORD processId;
  DWORD windows;
};

BOOL CALLBACK CountIfOwned(HWND window, LPARAM param) {
  auto* count = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == count->processId) ++count->windows;
  return TRUE;
}

// The process's windows: its top-level ones and its children in the host.
DWORD CountWindows(DWORD processId, HWND host) {
  WindowCount count{processId, 0};
  EnumWindows(CountIfOwned, reinterpret_cast<LPARAM>(&count));
  EnumChildWindows(host, CountIfOwned, reinterpret_cast<LPARAM>(&count));
  return count.windows;
}

// Starts the preview in a new host; false when it does not paint.
bool StartPreview(const Host& host, bench::Target& target, const Options& options) {
  const double start = bench::NowMs();
  const Startup seen = target.Started() ? WaitForPaint(host, target, start, options.timeoutMs) : Startup{};
  if (seen.painted < 0) std::printf("no painted preview within %.0f ms\n", options.timeoutMs);
  return seen.painted >= 0;
}

int Hold(const std::string& commandLine, const Options& options) {
  Host host;
  bench::Target target(host.Fill(commandLine));
  if (!StartPreview(host, target, options)) return 1;
  const DWORD processId = GetProcessId(target.handle());
  std::printf("holding the preview (process %lu) for %.0f s\n", static_cast<unsigned long>(processId), options.seconds);
  std::fflush(stdout);
  const double start = bench::NowMs();
  long first = -1, last = -1, most = -1;
  DWORD firstWindows = 0, lastWindows = 0;
  for (double at = 0;; at += options.everySeconds) {
    PumpFor(start + at * 1000 - bench::NowMs());
    if (!target.Running()) {
      std::printf("the preview ended by itself after %.0f s\n", (bench::NowMs() - start) / 1000);
      return 1;
    }
    last = SettledGdiObjects(target.handle());
    lastWindows = CountWindows(processId, host.hwnd());
    if (first < 0) {
      first = last;
      firstWindows = lastWindows;
    }
    most = std::max(most, last);
    std::printf("  at %5.0f s: GDI objects %ld, windows %lu\n", at, last, static_cast<unsigned long>(lastWindows));
    std::fflush(stdout);
    if (at + options.everySeconds > options.seconds) break;
  }
  PumpFor(start + options.seconds * 1000 - bench::NowMs());
  std::printf("GDI objects: first %ld, last %ld, most %ld; windows: first %lu, last %lu\n", first, last, most,
              static_cast<unsigned long>(firstWindows), static_cast<unsigned long>(lastWindows));
  const long code = CloseAndWait(host.hwnd(), target);
  std::printf("host closed: the preview %s\n", code == 0 ? "ended with exit code 0" : "did NOT end with exit code 0");
  return code == 0 ? 0 : 1;
}

int Show(const std::string& commandLine, const Options& options) {
  Host host;
  bench::Target target(host.Fill(commandLine));
  if (!StartPreview(host, target, options)) return 1;
  const HWND preview = host.Child();
  SetParent(preview, nullptr);
  SetWindowPos(preview, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  std::printf("shown\n");
  std::fflush(stdout);
  PumpFor(options.seconds * 1000);
  return CloseAndWait(preview, target) == 0 ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: preview_watch startup [--runs N] [--warmup N] [--timeout MS] NAME=COMMAND_LINE...\n"
               "       preview_watch hold [--seconds S] [--every S] COMMAND_LINE\n"
               "       preview_watch show [--seconds S] COMMAND_LINE\n"
               "  (%%HWND%% in a command line stands for the host window's handle)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  Options options;
  std::vector<Program> programs;
  std::string commandLine;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--runs" && hasValue) {
      options.runs = std::atoi(argv[++i]);
    } else if (arg == "--warmup" && hasValue) {
      options.warmup = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && hasValue) {
      options.timeoutMs = std::atof(argv[++i]);
    } else if (arg == "--seconds" && hasValue) {
      options.seconds = std::atof(argv[++i]);
    } else if (arg == "--every" && hasValue) {
      options.everySeconds = std::max(1.0, std::atof(argv[++i]));
    } else if (mode == "startup" && arg.find('=') != std::string::npos && arg[0] != '-') {
      const size_t eq = arg.find('=');
      Program program;
      program.name = arg.substr(0, eq);
      program.commandLine = arg.substr(eq + 1);
      programs.push_back(program);
    } else if (mode != "startup" && commandLine.empty() && arg[0] != '-') {
      commandLine = arg;
    } else {
      return Usage();
    }
  }
  timeBeginPeriod(1);
  int result = 2;
  if (mode == "startup" && !programs.empty() && options.runs >= 1)
    result = TimeStartup(programs, options);
  else if (mode == "hold" && !commandLine.empty())
    result = Hold(commandLine, options);
  else if (mode == "show" && !commandLine.empty())
    result = Show(commandLine, options);
  else
    Usage();
  timeEndPeriod(1);
  return result;
}
