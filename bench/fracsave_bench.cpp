// The fractal saver under Wine, run by scripts/bench-fracsave.sh.
//   fracsave_bench exit SCR REPEATS   time from a key to the saver's exit
//   fracsave_bench rate SECONDS       frames per second of the saver window at
//                                     the screen's size, full and fast mode,
//                                     against the bare computation of a frame
//   fracsave_bench compute            the bare computation of a frame at the
//                                     screen's size: the one-point loop, each
//                                     vector path on one thread, and 1 and 2
//                                     workers, with the ratios of this run
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot.h"
#include "fracsave/core/regions.h"
#include "fracsave/dialogs/saver_dialogs.h"
#include "fracsave/settings/saver_settings_io.h"
#include "fracsave/shell/saver_shell.h"
#include "framework/screen_layout.h"
#include "timing.h"

using namespace fracsave;

namespace {

using bench::Median;
using bench::NowMs;

void SetFlag(const char* key, const char* value) {
  WritePrivateProfileStringA(kSaverSection, key, value, kControlIni);
}

// Starts the saver with Show Generation (long frames drawn on the screen),
// posts a key while its first full-mode frame runs, and times until its exit.
int TimeExit(const char* scr, int repeats) {
  WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, nullptr, kControlIni);
  SetFlag("ShowGen", "1");
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    std::string line = std::string("\"") + scr + "\" /s";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return 2;
    HWND window = nullptr;
    const double start = NowMs();
    while (!window && NowMs() - start < 15000) {
      window = FindWindowA(kSaverClass, kSaverTitle);
      if (!window) Sleep(5);
    }
    if (!window) return 3;
    // The first tick comes 200 ms after creation; the first frame then runs
    // for several hundred milliseconds at this size.
    Sleep(300 + 20 * (i % 5));
    const double pressed = NowMs();
    PostMessageA(window, WM_KEYDOWN, 'Q', 0);
    WaitForSingleObject(pi.hProcess, 10000);
    times.push_back(NowMs() - pressed);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code != 0) return 4;
  }
  WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
  std::printf("key to exit, full mode, ShowGen on, no password: median %.1f ms, max %.1f ms (%d runs)\n",
              Median(times), *std::max_element(times.begin(), times.end()), repeats);
  return 0;
}

ColumnGrid Preset1Grid(int width, int height, bool fast) {
  SaverSettings settings{};
  settings.fastGen = fast;
  const IterationLimits lim = LimitsFor(settings);
  const Region& m = kPresets[1];
  return ColumnGrid{m.xmin, (m.xmax - m.xmin) / width, m.ymax, (m.ymax - m.ymin) / height,
                    width, height / 2 + 1, lim.limit, lim.threshold};
}

// The median time of `runs` runs of every point of one frame of preset 1, as
// the saver computes it (its workers and vector path), or one point at a time.
double PointsMs(int width, int height, bool fast, bool scalar = false, int runs = 5) {
  const ColumnGrid g = Preset1Grid(width, height, fast);
  std::vector<int32_t> out(size_t(g.rows) + 1);
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const double t0 = NowMs();
    if (scalar) {
      for (int c = 0; c < width; ++c)
        IterateColumnScalar(double(c) * g.dx + g.xmin, g.ymax, g.dy, g.rows, g.limit, g.threshold, out.data());
    } else {
      ColumnFeed feed(g);
      for (int c = 0; c < width; ++c) feed.Column(c);
    }
    times.push_back(NowMs() - t0);
  }
  return Median(times);
}

int Compute() {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const VectorPath path = CurrentVectorPath();
  const int workers = FrameWorkerCount();
  std::printf("compute %dx%d: %s, %d workers by default (%d processors)\n", width, height,
              path == VectorPath::kAvx2 ? "AVX2" : "SSE2", workers, DefaultFrameWorkerCount());
  for (int fast = 0; fast < 2; ++fast) {
    SetFrameWorkerCount(1);
    const double scalar = PointsMs(width, height, fast, true, 3);
    UseVectorPath(VectorPath::kSse2);
    const double sse2 = PointsMs(width, height, fast);
    const bool wide = UseVectorPath(VectorPath::kAvx2) == VectorPath::kAvx2;
    const double avx2 = wide ? PointsMs(width, height, fast) : 0;
    UseVectorPath(path);
    const double one = PointsMs(width, height, fast);
    SetFrameWorkerCount(2);
    const double two = PointsMs(width, height, fast);
    std::printf("%s: one point at a time %.1f ms; SSE2 %.1f ms (%.2fx); AVX2 %.1f ms (%.2fx); "
                "1 worker %.1f ms, 2 workers %.1f ms = %.2f of 1 worker, %.2fx the one-point loop\n",
                fast ? "fast (limit 64) " : "full (limit 512)", scalar, sse2, scalar / sse2, avx2,
                wide ? scalar / avx2 : 0.0, one, two, two / one, scalar / two);
  }
  SetFrameWorkerCount(workers);
  return 0;
}

void CALLBACK StopLoop(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

int Rate(int seconds) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ScreenSaverProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "FracsaveRateBench";
  RegisterClassA(&wc);
  for (int fast = 0; fast < 2; ++fast) {
    WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
    SetFlag("FastGen", fast ? "1" : "0");
    Saver saver(instance);
    const SaverState& state = saver.State();
    // Over every monitor, as the saver's own window.
    const RECT all = fw::ReadScreenLayout().virtualScreen;
    HWND window = CreateWindowExA(0, wc.lpszClassName, "rate", WS_POPUP | WS_VISIBLE, all.left, all.top,
                                  fw::WidthOf(all), fw::HeightOf(all), nullptr, nullptr, instance, &saver);
    const double t0 = NowMs();
    UINT_PTR stop = SetTimer(nullptr, 0, UINT(seconds * 1000), StopLoop);
    MSG msg;
    std::vector<double> frameTimes;  // ticks that drew a frame, from its start to its end
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      const int before = state.frameCount;
      const double start = NowMs();
      DispatchMessageA(&msg);
      if (msg.message == WM_TIMER && state.frameCount != before) frameTimes.push_back(NowMs() - start);
    }
    const double elapsed = NowMs() - t0;
    KillTimer(nullptr, stop);
    const int frames = state.frameCount;
    DestroyWindow(window);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const double points = PointsMs(width, height, fast != 0);
    std::printf("%s %dx%d: saver %.2f frames/s (%.0f ms per frame, %d frames in %.1f s); "
                "bare computation %.1f ms per frame = %.1f frames/s; a frame itself %.1f ms (median)\n",
                fast ? "fast (limit 64) " : "full (limit 512)", width, height,
                frames * 1000.0 / elapsed, elapsed / std::max(frames, 1), frames, elapsed / 1000.0,
                points, 1000.0 / points, Median(frameTimes));
  }
  WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "exit") return TimeExit(argv[2], std::atoi(argv[3]));
  if (argc >= 3 && std::string(argv[1]) == "rate") return Rate(std::atoi(argv[2]));
  if (argc >= 2 && std::string(argv[1]) == "compute") return Compute();
  std::fprintf(stderr, "usage: fracsave_bench exit SCR REPEATS | rate SECONDS | compute\n");
  return 1;
}
