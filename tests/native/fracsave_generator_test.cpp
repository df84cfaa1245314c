// The Mandelbrot generator: points, columns and whole frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot.h"
#include "fracsave_golden.h"

using namespace fracsave;

namespace {

class FakeHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return 5; }
  void WriteSetInfo(const std::string& text) override { setInfo.push_back(text); }
  std::vector<std::string> setInfo;
};

// A screen that also records where each pixel write went.
class RecordingScreen : public SurfaceScreen {
 public:
  using SurfaceScreen::SurfaceScreen;
  PixelTarget& BeginTarget(bool offscreen, int w, int h) override {
    inner_ = &SurfaceScreen::BeginTarget(offscreen, w, h);
    return recorder_;
  }
  std::vector<std::pair<int, int>> writes;

 private:
  class Recorder : public PixelTarget {
   public:
    explicit Recorder(RecordingScreen* s) : s_(s) {}
    void SetPixel(int x, int y, uint32_t c) override {
      s_->writes.emplace_back(x, y);
      s_->inner_->SetPixel(x, y, c);
    }
    RecordingScreen* s_;
  };
  PixelTarget* inner_ = nullptr;
  Recorder recorder_{this};
};

struct Frame {
  Frame() { BuildColourTable(state.colourTable); state.frameCount = 1; }
  uint32_t Entry(int i) const { return ToColorRef(table0.entry[i]); }
  SaverState state = {};
  SaverSettings settings = {};
  FakeHost host;
  ColourTable table0 = Fresh();
  static ColourTable Fresh() { ColourTable t; BuildColourTable(t); return t; }
};

// One pixel frame: its only point is (xmin, ymax).
uint32_t PointColour(Frame& f, double cr, double ci) {
  f.state.mset = {cr + 1, cr, ci, ci - 1};
  SurfaceScreen screen(1, 1);
  DrawFrame(f.state, f.settings, f.host, screen, 1, 1);
  return screen.screen.At(0, 0);
}

// A point on the real axis that escapes after exactly n iterations.
double RealPointEscapingAfter(int n, int limit, double threshold, double step = 1e-6) {
  for (double cr = 0.25; cr < 0.5; cr += step)
    if (IteratePoint(cr, 0, limit, threshold) == n) return cr;
  ADD_FAILURE() << "no point escapes after " << n;
  return 0;
}

TEST(FracGenerator, NamedPointsTakeTheirEntries) {
  for (int fast : {0, 1}) {
    SCOPED_TRACE(fast ? "fast" : "full");
    Frame f;
    f.settings.fastGen = fast;
    EXPECT_EQ(PointColour(f, 0, 0), 0u);           // inside the set
    EXPECT_EQ(PointColour(f, 10, 0), f.Entry(1));  // gone after one iteration
  }
  Frame fast;
  fast.settings.fastGen = 1;
  EXPECT_EQ(PointColour(fast, RealPointEscapingAfter(33, 64, 8), 0), fast.Entry(1));  // 33 AND 31
  Frame full;
  EXPECT_EQ(PointColour(full, RealPointEscapingAfter(33, 512, 64), 0), full.Entry(33));
  // An escape at the very last iteration takes entry limit AND mask = 0.
  Frame last;
  EXPECT_EQ(PointColour(last, RealPointEscapingAfter(512, 512, 64, 1e-8), 0), last.Entry(0));
}

TEST(FracGenerator, ExactlyOnTheThresholdIsBlack) {
  EXPECT_EQ(IteratePoint(8, 0, 512, 64), -1);  // 8*8 + 0 = 64
  EXPECT_EQ(IteratePoint(2, 2, 64, 8), -1);    // 4 + 4 = 8
  EXPECT_EQ(IteratePoint(std::nextafter(8.0, 9.0), 0, 512, 64), 1);
  Frame f;
  EXPECT_EQ(PointColour(f, 8, 0), 0u);
  f.settings.fastGen = 1;
  EXPECT_EQ(PointColour(f, 2, 2), 0u);
}

TEST(FracGenerator, ColumnsMatchThePointByPointReference) {
  for (int p : {0, 1, 13, 15, 18}) {
    const Region m = kPresets[p];
    for (int count : {1, 2, 7, 8, 9, 17, 241}) {
      const double dy = (m.ymax - m.ymin) / (2 * count);
      for (int c = 0; c < 40; ++c) {
        const double cr = double(c) * ((m.xmax - m.xmin) / 40) + m.xmin;
        for (int limit : {64, 512}) {
          const size_t n = static_cast<size_t>(count);
          std::vector<int32_t> fast(n), ref(n);
          IterateColumn(cr, m.ymax, dy, count, limit, limit / 8, fast.data());
          IterateColumnScalar(cr, m.ymax, dy, count, limit, limit / 8, ref.data());
          ASSERT_EQ(fast, ref) << "preset " << p << " count " << count << " column " << c;
        }
      }
    }
  }
}

TEST(FracGenerator, WorkersHandOutEveryColumnInOrderAlsoAfterAFrameCutShort) {
  const int workers = FrameWorkerCount();
  SetFrameWorkerCount(0);
  EXPECT_EQ(FrameWorkerCount(), 1);
  SetFrameWorkerCount(1000);
  EXPECT_EQ(FrameWorkerCount(), kMaxFrameWorkers);
  const Region m = kPresets[13];
  for (int n : {1, 2, 4}) {
    SetFrameWorkerCount(n);
    for (int round = 0; round < 20; ++round) {
      // A frame abandoned after a few columns, while the workers run ahead...
      {
        ColumnFeed cut(ColumnGrid{m.xmin, 0.01, m.ymax, 0.002, 500, 300, 512, 64});
        for (int c = 0; c <= round % 4; ++c) cut.Column(c);
      }
      // ...leaves nothing behind in the next one, of another size.
      const int width = 150 + round, rows = 1 + 7 * round;
      const double dx = (m.xmax - m.xmin) / width, dy = (m.ymax - m.ymin) / (2 * rows);
      ColumnFeed feed(ColumnGrid{m.xmin, dx, m.ymax, dy, width, rows, 64, 8});
      std::vector<int32_t> want(static_cast<size_t>(rows));
      for (int c = 0; c < width; ++c) {
        IterateColumnScalar(double(c) * dx + m.xmin, m.ymax, dy, rows, 64, 8, want.data());
        ASSERT_TRUE(std::equal(want.begin(), want.end(), feed.Column(c)))
            << n << " workers, round " << round << ", column " << c;
      }
    }
  }
  StopFrameWorkers();  // and they start again with the next frame
  SetFrameWorkerCount(workers);
}

TEST(FracGenerator, EveryPixelIsTheFormulasPointMirroredBelow) {
  // A normal region, and inverted ones (steps negative, picture flipped).
  const Region regions[] = {kPresets[3], {-2.05, 0.07, 1.3, -1.3}, {0.07, -2.05, -1.3, 1.3}};
  for (const Region& m : regions) {
    for (int height : {37, 38}) {
      Frame f;
      f.state.mset = m;
      const int width = 29;
      SurfaceScreen screen(width, height);
      DrawFrame(f.state, f.settings, f.host, screen, width, height);
      const double dx = (m.xmax - m.xmin) / width, dy = (m.ymax - m.ymin) / height;
      for (int c = 0; c < width; ++c)
        for (int r = 0; r <= height / 2; ++r) {
          const int k = IteratePoint(double(c) * dx + m.xmin, m.ymax - double(r) * dy, 512, 64);
          const uint32_t want = k < 0 ? 0u : f.Entry(k & 255);
          ASSERT_EQ(screen.screen.At(c, r), want) << c << "," << r;
          if (r > 0) {
            ASSERT_EQ(screen.screen.At(c, height - r), want) << c << "," << height - r;
          }
        }
    }
  }
}

TEST(FracGenerator, HalfTheRowsAreComputedAndEveryRowIsWritten) {
  for (int height : {479, 480}) {
    SCOPED_TRACE(height);
    for (int showGen : {0, 1}) {
      Frame f;
      f.settings.showGen = showGen;
      f.state.mset = {20, 10, 1, -1};  // every point escapes at once
      RecordingScreen screen(3, height);
      std::fill(screen.screen.pixels.begin(), screen.screen.pixels.end(), 0x123456u);
      DrawFrame(f.state, f.settings, f.host, screen, 3, height);
      for (uint32_t p : screen.screen.pixels) ASSERT_EQ(p, f.Entry(1));
      if (showGen) {
        // Column 0: rows 0..h2 and their mirrors height..height-h2, in pairs.
        std::vector<int> column0;
        for (auto& w : screen.writes)
          if (w.first == 0) column0.push_back(w.second);
        const int h2 = height / 2;
        ASSERT_EQ(column0.size(), size_t(2 * (h2 + 1)));
        for (int r = 0; r <= h2; ++r) {
          EXPECT_EQ(column0[size_t(2 * r)], r);
          EXPECT_EQ(column0[size_t(2 * r + 1)], height - r);
        }
      }
    }
  }
}

TEST(FracGenerator, FirstFrameFillsBlackAndShowsTheNoticeOffScreenOnly) {
  for (int showGen : {0, 1}) {
    Frame f;
    f.state.frameCount = 0;
    f.state.newImage = 1;
    f.state.presetIndex = 1;
    f.settings.showGen = showGen;
    SurfaceScreen screen(16, 12);
    DrawFrame(f.state, f.settings, f.host, screen, 16, 12);
    EXPECT_EQ(screen.blackFills, 1);
    EXPECT_EQ(screen.noticeCount, showGen ? 0 : 1);
    EXPECT_EQ(screen.copies, showGen ? 0 : 1);
    EXPECT_EQ(f.host.setInfo.size(), 1u);  // newImage chose the region
    EXPECT_TRUE(f.state.mset.xmin == kPresets[1].xmin);
    EXPECT_EQ(f.state.presetIndex, 2);
    EXPECT_EQ(f.state.newImage, 0);
    EXPECT_EQ(f.state.frameCount, 1);
    DrawFrame(f.state, f.settings, f.host, screen, 16, 12);
    EXPECT_EQ(screen.blackFills, 1);
    EXPECT_EQ(screen.noticeCount, showGen ? 0 : 1);
    EXPECT_EQ(f.host.setInfo.size(), 1u);  // neither newImage nor AlterCorners
    EXPECT_EQ(f.state.frameCount, 2);
  }
}

TEST(FracGenerator, AlterCornersMovesTheRegionAtEveryFrame) {
  Frame f;
  f.settings.alterCorners = 1;
  f.state.mset = kPresets[1];
  f.state.cornerSteps = {0.1, 0.1, 0.1, 0.1};
  SurfaceScreen screen(4, 4);
  DrawFrame(f.state, f.settings, f.host, screen, 4, 4);
  EXPECT_EQ(f.state.mset.xmax, 0.07 + 0.1);
  EXPECT_EQ(f.state.mset.ymax, 1.3 - 0.1);  // at the limit: turned back first
  EXPECT_TRUE(f.host.setInfo.empty());
}

TEST(FracGenerator, ShiftPalTurnsTheTableOnceAfterEachColumn) {
  Frame f;
  f.settings.shiftPal = 1;
  f.state.mset = {20, 10, 1, -1};
  SurfaceScreen screen(40, 6);
  DrawFrame(f.state, f.settings, f.host, screen, 40, 6);
  for (int c = 0; c < 40; ++c) EXPECT_EQ(screen.screen.At(c, 2), f.Entry((1 + c) % 256)) << c;
  EXPECT_EQ(ToColorRef(f.state.colourTable.entry[0]), f.Entry(40));
}

struct AbortAfter {
  SaverState* state;
  int pumps;
  int calls = 0;
  static void Pump(void* self) {
    auto* a = static_cast<AbortAfter*>(self);
    if (++a->calls == a->pumps) a->state->abortFrame = 1;
  }
};

TEST(FracGenerator, AbortBeforeAFrameSkipsItAndDuringAFrameStopsItAndStillShowsIt) {
  Frame f;
  f.state.abortFrame = 1;
  f.state.newImage = 1;
  SurfaceScreen screen(10, 10);
  DrawFrame(f.state, f.settings, f.host, screen, 10, 10);
  EXPECT_EQ(f.state.frameCount, 1);
  EXPECT_EQ(f.state.newImage, 1);
  EXPECT_EQ(f.state.abortFrame, 1);
  EXPECT_EQ(screen.copies, 0);
  EXPECT_TRUE(f.host.setInfo.empty());

  for (int showGen : {0, 1}) {
    SCOPED_TRACE(showGen);
    Frame full, cut;
    full.state.mset = cut.state.mset = kPresets[1];
    full.settings.showGen = cut.settings.showGen = showGen;
    full.settings.shiftPal = cut.settings.shiftPal = 1;
    const int width = 40, height = 30, rows = height / 2 + 1;
    SurfaceScreen whole(width, height);
    DrawFrame(full.state, full.settings, full.host, whole, width, height);

    cut.state.newImage = 1;
    cut.state.presetIndex = 1;
    cut.state.abortFrame = 0;
    AbortAfter abort{&cut.state, 21 * rows + 5};  // in column 21, after row 4
    SurfaceScreen partial(width, height);
    partial.pump = &AbortAfter::Pump;
    partial.pumpContext = &abort;
    DrawFrame(cut.state, cut.settings, cut.host, partial, width, height);
    EXPECT_EQ(abort.calls, abort.pumps);
    EXPECT_EQ(cut.state.frameCount, 2);
    EXPECT_EQ(cut.state.newImage, 0);
    EXPECT_EQ(cut.state.abortFrame, 1);
    EXPECT_EQ(partial.copies, showGen ? 0 : 1);
    // The column that was cut still turned the table.
    EXPECT_EQ(ToColorRef(cut.state.colourTable.entry[0]), cut.Entry(22));
    for (int c = 0; c < width; ++c)
      for (int r = 0; r <= height / 2; ++r) {
        const bool drawn = c < 21 || (c == 21 && r <= 4);
        const uint32_t want = drawn ? whole.screen.At(c, r) : 0u;
        ASSERT_EQ(partial.screen.At(c, r), want) << c << "," << r;
        if (r > 0) {
          ASSERT_EQ(partial.screen.At(c, height - r), want) << c << "," << height - r;
        }
      }
  }
}

// Off-screen, a pump paced by the clock runs once per column, after its first
// pair; a stop there leaves the rest of the column and all after it black.
TEST(FracGenerator, APacedPumpRunsOncePerColumnOffScreen) {
  Frame full, cut;
  full.state.mset = cut.state.mset = kPresets[1];
  const int width = 40, height = 30;
  SurfaceScreen whole(width, height);
  DrawFrame(full.state, full.settings, full.host, whole, width, height);
  AbortAfter abort{&cut.state, 4};
  SurfaceScreen partial(width, height);
  partial.pump = &AbortAfter::Pump;
  partial.pumpContext = &abort;
  partial.pumpPaced = true;
  DrawFrame(cut.state, cut.settings, cut.host, partial, width, height);
  EXPECT_EQ(abort.calls, 4);
  for (int c = 0; c < width; ++c)
    for (int y = 0; y < height; ++y) {
      const bool drawn = c < 3 || (c == 3 && y == 0);
      ASSERT_EQ(partial.screen.At(c, y), drawn ? whole.screen.At(c, y) : 0u) << c << "," << y;
    }
}

TEST(FracGenerator, OddSizesAndEmptyScreensAreHarmless) {
  // Off-screen and straight on the screen; a frame too large for any screen is not drawn at all.
  for (int showGen : {0, 1}) {
    for (auto size : {std::pair<int, int>{0, 0}, {0, 5}, {5, 0}, {1, 1}, {-3, 4}, {4, -3}, {20, -2}, {20, -5},
                      {4, INT_MIN}, {kMaxFrameSide + 1, 4}, {4, INT_MAX}}) {
      Frame f;
      f.settings.showGen = showGen;
      f.state.mset = kPresets[1];
      SurfaceScreen screen(size.first, size.second);
      DrawFrame(f.state, f.settings, f.host, screen, size.first, size.second);
      const bool drawable = size.first <= kMaxFrameSide && size.second <= kMaxFrameSide;
      EXPECT_EQ(f.state.frameCount, drawable ? 2 : 1) << size.first << " x " << size.second;
    }
  }
}

TEST(FracGenerator, SurfacesTooLargeToHoldHaveNoPixels) {
  for (auto size : {std::pair<int, int>{65536, 65537}, {INT_MAX, 2}, {-1, 5}}) {
    Surface s(size.first, size.second);
    EXPECT_TRUE(s.pixels.empty());
    EXPECT_EQ(s.width * s.height, 0);
    s.Set(0, 0, 1);  // dropped, as any write outside
  }
  SurfaceScreen screen(65536, 65537);
  screen.FillBlack(65536, 65537);
  EXPECT_TRUE(Surface::Holds(16384, 16384));
}

// Orbits that come back exactly to an earlier point stop early on the vector
// paths; with a limit far beyond any saved point, they and slow escapers near
// the edge of the set must still end as the one-point loop ends them.
TEST(FracGenerator, CyclingAndSlowOrbitsMatchTheReferenceOnEveryPath) {
  const double points[][2] = {
      {0, 0},       {-1, 0},       {-2, 0},          {0, 1},           {0.25, 0},       {-0.75, 0},
      {0.2500001, 0}, {-0.75, 1e-4}, {-0.1225, 0.7448}, {-1.7549, 0},   {0.3, 0.5},      {-0.5, 0.5},
  };
  for (VectorPath path : {VectorPath::kSse2, VectorPath::kAvx2}) {
    const VectorPath used = UseVectorPath(path);
    for (const auto& c : points) {
      int32_t fast = 0, ref = 0;
      IterateColumn(c[0], c[1], 1.0, 1, 100000, 64, &fast);
      IterateColumnScalar(c[0], c[1], 1.0, 1, 100000, 64, &ref);
      EXPECT_EQ(fast, ref) << c[0] << "+" << c[1] << "i on " << (used == VectorPath::kAvx2 ? "AVX2" : "SSE2");
    }
  }
  UseVectorPath(VectorPath::kAvx2);
}

TEST(FracGenerator, ColumnsWithoutIterationsMatchTheReference) {
  // A limit of 0 or less iterates nothing; inside the set or not, the column ends at once.
  for (int limit : {0, -1, -512, INT_MIN}) {
    std::vector<int32_t> fast(9, 7), ref(9, 7);
    IterateColumn(0.0, 0.5, 0.125, 9, limit, 64, fast.data());
    IterateColumnScalar(0.0, 0.5, 0.125, 9, limit, 64, ref.data());
    EXPECT_EQ(fast, ref) << limit;
    EXPECT_EQ(fast, std::vector<int32_t>(9, -1));
  }
}

TEST(FracGenerator, GoldenFrames) {
  for (const auto& g : fracsave_golden::kGoldenFrames)
    EXPECT_EQ(fracsave_golden::Checksum(fracsave_golden::RenderGolden(g)), g.checksum) << g.name;
}

TEST(FracGenerator, GoldenScreensOnEveryPathAndWorkerCount) {
  fracsave_golden::ForEveryPathAndWorkerCount([](const fracsave_golden::GoldenFrame& g, uint64_t sum,
                                                 const std::string& trace) {
    EXPECT_EQ(sum, g.checksum) << g.name << ", " << trace;
  });
}

}  // namespace
