// Fractal saver frame benchmark (native): a 1024x768 frame of preset 1, full
// and fast mode. "Points" is the pure computation of every point of a frame
// (rows 0..h2 of every column), the yardstick; "Frame" is a whole frame
// through the same steps as DrawFractalFrame on a memory screen, off screen
// (ShowGen off) and straight on the screen (ShowGen on). "PointsScalar" is the
// one-point-at-a-time reference for the same work.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"

using namespace fracsave;

namespace {

constexpr int kWidth = 1024, kHeight = 768;

class NoHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

template <bool kScalar>
void Points(benchmark::State& st) {
  SaverSettings settings = {};
  settings.fastGen = int32_t(st.range(0));
  const IterationLimits lim = LimitsFor(settings);
  const Region m = kPresets[1];
  const double dx = (m.xmax - m.xmin) / kWidth, dy = (m.ymax - m.ymin) / kHeight;
  const int rows = kHeight / 2 + 1;
  std::vector<int32_t> counts(size_t(rows) * kWidth);
  for (auto _ : st) {
    for (int c = 0; c < kWidth; ++c) {
      int32_t* out = counts.data() + size_t(c) * rows;
      if (kScalar)
        IterateColumnScalar(double(c) * dx + m.xmin, m.ymax, dy, rows, lim.limit, lim.threshold, out);
      else
        IterateColumn(double(c) * dx + m.xmin, m.ymax, dy, rows, lim.limit, lim.threshold, out);
    }
    benchmark::DoNotOptimize(counts.data());
    benchmark::ClobberMemory();
  }
}

void Frame(benchmark::State& st) {
  SaverSettings settings = {};
  settings.fastGen = int32_t(st.range(0));
  settings.showGen = int32_t(st.range(1));
  static SaverState state;
  BuildColourTable(state.colourTable);
  NoHost host;
  SurfaceScreen screen(kWidth, kHeight);
  for (auto _ : st) {
    state.mset = kPresets[1];
    state.newImage = 0;
    state.frameCount = 1;
    DrawFrame(state, settings, host, screen, kWidth, kHeight);
    benchmark::DoNotOptimize(screen.screen.pixels.data());
  }
}

}  // namespace

BENCHMARK(Points<false>)->Name("Points")->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Points<true>)->Name("PointsScalar")->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Frame)->ArgNames({"fast", "showgen"})->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
