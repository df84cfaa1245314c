// Fractal saver frame benchmark (native): a 1024x768 frame of preset 1, full
// and fast mode. "Points" is the pure computation of every point of a frame
// (rows 0..h2 of every column) on one thread, on the SSE2 path (avx2:0) or the
// AVX2 path (avx2:1), the yardstick; "PointsScalar" is the one-point-at-a-time
// reference for the same work; "PointsWorkers" is the same computation shared
// by that many threads (wall-clock time). "Frame" is a whole frame through the
// same steps as DrawFractalFrame on a memory screen, off screen (ShowGen off)
// and straight on the screen (ShowGen on), with the default threads and path.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot.h"

using namespace fracsave;

namespace {

constexpr int kWidth = 1024, kHeight = 768;

class NoHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

ColumnGrid Preset1Grid(bool fast) {
  SaverSettings settings = {};
  settings.fastGen = fast;
  const IterationLimits lim = LimitsFor(settings);
  const Region m = kPresets[1];
  return ColumnGrid{m.xmin, (m.xmax - m.xmin) / kWidth, m.ymax, (m.ymax - m.ymin) / kHeight,
                    kWidth, kHeight / 2 + 1, lim.limit, lim.threshold};
}

template <bool kScalar>
void Points(benchmark::State& st) {
  const ColumnGrid g = Preset1Grid(st.range(0) != 0);
  const VectorPath before = CurrentVectorPath();
  if (!kScalar && UseVectorPath(st.range(1) ? VectorPath::kAvx2 : VectorPath::kSse2) !=
                      (st.range(1) ? VectorPath::kAvx2 : VectorPath::kSse2)) {
    st.SkipWithError("no AVX2 on this processor");
    return;
  }
  std::vector<int32_t> counts(size_t(g.rows) * kWidth);
  for (auto _ : st) {
    for (int c = 0; c < kWidth; ++c) {
      int32_t* out = counts.data() + size_t(c) * g.rows;
      const double cr = double(c) * g.dx + g.xmin;
      if (kScalar)
        IterateColumnScalar(cr, g.ymax, g.dy, g.rows, g.limit, g.threshold, out);
      else
        IterateColumn(cr, g.ymax, g.dy, g.rows, g.limit, g.threshold, out);
    }
    benchmark::DoNotOptimize(counts.data());
    benchmark::ClobberMemory();
  }
  UseVectorPath(before);
}

void PointsWorkers(benchmark::State& st) {
  const ColumnGrid g = Preset1Grid(st.range(0) != 0);
  const int before = FrameWorkerCount();
  SetFrameWorkerCount(int(st.range(1)));
  for (auto _ : st) {
    ColumnFeed feed(g);
    for (int c = 0; c < kWidth; ++c) benchmark::DoNotOptimize(feed.Column(c));
  }
  SetFrameWorkerCount(before);
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

BENCHMARK(Points<false>)->Name("Points")->ArgNames({"fast", "avx2"})->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Points<true>)->Name("PointsScalar")->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PointsWorkers)->ArgNames({"fast", "workers"})->ArgsProduct({{0, 1}, {1, 2}})
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Frame)->ArgNames({"fast", "showgen"})->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})
    ->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
