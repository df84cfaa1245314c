// Fractal saver frame benchmark under Wine: a screen-sized frame of preset 1 in
// full and fast mode, timed as (a) the pure computation of every point (with
// the frame's workers and vector path),
// (b) a whole DrawFractalFrame with ShowGen off and (c) with ShowGen on, both
// on a full-screen window with no message pump, with the ratios to (a).
//   fractal_frame_bench.exe [REPEATS]   (median of REPEATS runs, default 7;
//                                        ShowGen on is run 3 times at most)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot.h"
#include "fracsave/win32/fractal_frame.h"
#include "timing.h"

using namespace fracsave;

namespace {

// The median time of `repeats` runs, in milliseconds.
template <class F>
double Median(int repeats, F run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const double start = bench::NowMs();
    run();
    times.push_back(bench::NowMs() - start);
  }
  return bench::Median(times);
}

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const int kWidth = GetSystemMetrics(SM_CXSCREEN), kHeight = GetSystemMetrics(SM_CYSCREEN);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "FracBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "FracBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

  FractalPicture picture;
  BuildColourTable(picture);
  for (int fast : {0, 1}) {
    SaverSettings settings = {};
    settings.fastGen = fast;
    const IterationLimits lim = LimitsFor(settings);
    const Region m = kPresets[1];
    const double dx = (m.xmax - m.xmin) / kWidth, dy = (m.ymax - m.ymin) / kHeight;
    const int rows = kHeight / 2 + 1;
    const double points = Median(repeats, [&] {
      ColumnFeed feed(ColumnGrid{m.xmin, dx, m.ymax, dy, kWidth, rows, lim.limit, lim.threshold});
      for (int c = 0; c < kWidth; ++c) feed.Column(c);
    });
    double frame[2];
    for (int showGen : {0, 1}) {
      settings.showGen = showGen;
      frame[showGen] = Median(showGen ? std::min(repeats, 3) : repeats, [&] {
        picture.settings = settings;
        picture.state.mset = m;
        picture.state.newImage = 0;
        picture.state.frameCount = 1;
        HDC dc = GetDC(window);
        DrawFractalFrame(picture, dc, kWidth, kHeight, nullptr);
        ReleaseDC(window, dc);
      });
    }
    std::printf("%dx%d %s (limit %d): (a) points %.1f ms  (b) frame ShowGen off %.1f ms = %.2fx (a)"
                "  (c) frame ShowGen on %.1f ms = %.2fx (a)\n",
                kWidth, kHeight, fast ? "fast" : "full", lim.limit, points, frame[0], frame[0] / points, frame[1],
                frame[1] / points);
  }
  DestroyWindow(window);
  return 0;
}
