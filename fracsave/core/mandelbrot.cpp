#include "fracsave/core/mandelbrot.h"

#include <algorithm>
#include <atomic>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot_kernels.h"

#if defined(__SSE2__) && !defined(FRACSAVE_SCALAR_ONLY)
#include <emmintrin.h>
#define FRACSAVE_SSE2 1
#include "fracsave/core/vector_block.h"
#endif

namespace fracsave {

IterationLimits LimitsFor(const SaverSettings& settings) {
  // threshold = limit / 8, mask = limit / 2 - 1
  if (settings.fastGen) return IterationLimits{64, 8.0, 31};
  return IterationLimits{512, 64.0, 255};
}

int32_t IteratePoint(double cr, double ci, int limit, double threshold) {
  double x = 0, y = 0, x2 = 0, y2 = 0;
  int k = 0;
  while (k < limit && x2 + y2 < threshold) {
    double t = 2.0 * x * y;
    x = x2 - y2 + cr;
    y = t + ci;
    ++k;
    x2 = x * x;
    y2 = y * y;
  }
  // Landing exactly on the threshold counts as not escaped.
  return (x2 + y2 > threshold) ? k : -1;
}

void IterateColumnScalar(double cr, double ymax, double dy, int count, int limit,
                         double threshold, int32_t* out) {
  for (int r = 0; r < count; ++r) out[r] = IteratePoint(cr, ymax - double(r) * dy, limit, threshold);
}

#if FRACSAVE_SSE2
namespace {

// Two points per SSE2 register.
struct Sse2Lanes {
  using Reg = __m128d;
  using Counts = __m128i;
  static constexpr int kWidth = 2;
  static Reg Set1(double v) { return _mm_set1_pd(v); }
  static Reg Zero() { return _mm_setzero_pd(); }
  static Reg Add(Reg a, Reg b) { return _mm_add_pd(a, b); }
  static Reg Sub(Reg a, Reg b) { return _mm_sub_pd(a, b); }
  static Reg Mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
  static Reg And(Reg a, Reg b) { return _mm_and_pd(a, b); }
  static Reg Or(Reg a, Reg b) { return _mm_or_pd(a, b); }
  static Reg Greater(Reg a, Reg b) { return _mm_cmpgt_pd(a, b); }
  static Reg Less(Reg a, Reg b) { return _mm_cmplt_pd(a, b); }
  static Reg Equal(Reg a, Reg b) { return _mm_cmpeq_pd(a, b); }
  // Not a, and b.
  static Reg AndNot(Reg a, Reg b) { return _mm_andnot_pd(a, b); }
  static bool NoneSet(Reg m) { return _mm_movemask_pd(m) == 0; }
  static Reg Rows(double ymax, double dy, int r0) {
    return _mm_set_pd(ymax - double(r0 + 1) * dy, ymax - double(r0) * dy);
  }
  static Reg RowsBefore(int count, int r0) {
    const int a = r0 < count ? -1 : 0, b = r0 + 1 < count ? -1 : 0;
    return _mm_castsi128_pd(_mm_set_epi32(b, b, a, a));
  }
  static Counts NoCounts() { return _mm_setzero_si128(); }
  // All-ones lanes add 1.
  static Counts CountActive(Counts k, Reg act) { return _mm_sub_epi64(k, _mm_castpd_si128(act)); }
  static void Store(Counts k, Reg esc, int r0, int count, int32_t* out) {
    alignas(16) int32_t kk[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(kk), k);
    const int e = _mm_movemask_pd(esc);
    if (r0 < count) out[r0] = (e & 1) ? kk[0] : -1;
    if (r0 + 1 < count) out[r0 + 1] = (e & 2) ? kk[2] : -1;
  }
};

}  // namespace
#endif

void IterateColumnSse2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out) {
#if FRACSAVE_SSE2
  constexpr int kVectors = 4;
  const __m128d vcr = _mm_set1_pd(cr), vthr = _mm_set1_pd(threshold);
  for (int first = 0; first < count; first += 2 * kVectors)
    IterateBlock<Sse2Lanes, kVectors>(vcr, ymax, dy, first, count, limit, vthr, out);
#else
  IterateColumnScalar(cr, ymax, dy, count, limit, threshold, out);
#endif
}

namespace {

// -1 until the first column asks the processor.
std::atomic<int> g_vectorPath{-1};

VectorPath Decide(VectorPath wanted) {
  const bool wide = wanted == VectorPath::kAvx2 && FRACSAVE_HAS_AVX2_KERNEL && ProcessorHasAvx2();
  return wide ? VectorPath::kAvx2 : VectorPath::kSse2;
}

}  // namespace

VectorPath UseVectorPath(VectorPath wanted) {
  const VectorPath path = Decide(wanted);
  g_vectorPath.store(int(path));
  return path;
}

VectorPath CurrentVectorPath() {
  const int path = g_vectorPath.load();
  return path < 0 ? UseVectorPath(VectorPath::kAvx2) : VectorPath(path);
}

void IterateColumn(double cr, double ymax, double dy, int count, int limit, double threshold,
                   int32_t* out) {
#if FRACSAVE_HAS_AVX2_KERNEL
  if (CurrentVectorPath() == VectorPath::kAvx2) {
    IterateColumnAvx2(cr, ymax, dy, count, limit, threshold, out);
    return;
  }
#endif
  IterateColumnSse2(cr, ymax, dy, count, limit, threshold, out);
}

namespace {

// Black from pixel pair (column, row) of a painted frame on: everything its
// columns did not set, and anything the workers put ahead of it.
void BlackOutFrom(PixelTarget& target, int column, int row, int h2) {
  const int width = target.bitsWidth, height = target.bitsHeight;
  if (column >= width) return;
  for (int r = row; r <= h2; ++r) {
    if (r < height) target.bits[size_t(r) * size_t(width) + size_t(column)] = 0;
    if (height - r >= 0 && height - r < height) target.bits[size_t(height - r) * size_t(width) + size_t(column)] = 0;
  }
  for (int y = 0; y < height; ++y)
    std::fill_n(target.bits + size_t(y) * size_t(width) + size_t(column) + 1, size_t(width - column - 1), 0u);
}

}  // namespace

void DrawFrame(SaverState& state, const SaverSettings& settings, RegionHost& host,
               FrameScreen& screen, int width, int height) {
  // An abort that came before the frame skips it entirely.
  if (state.abortFrame || width > kMaxFrameSide || height > kMaxFrameSide) return;
  if (state.frameCount == 0) screen.FillBlack(width, height);

  const bool offscreen = !settings.showGen;
  PixelTarget& target = screen.BeginTarget(offscreen, width, height);
  if (offscreen && state.frameCount == 0) screen.ShowPreparingNotice();

  const int h2 = height / 2;
  const IterationLimits lim = LimitsFor(settings);
  if (settings.alterCorners || state.newImage) ChooseCorners(state, settings, host);

  // Handlers run by the pump may choose new corners; this frame keeps its own.
  const Region m = state.mset;
  const double dx = (m.xmax - m.xmin) / width;
  const double dy = (m.ymax - m.ymin) / height;
  state.abortFrame = 0;

  // A bitmap in memory is painted by the frame's workers, colours and all:
  // the table as it stands now, turned by the column's number with ShiftPal
  // (nothing else changes it while a frame runs). Its old picture is not
  // cleared: a whole frame sets every pixel, and one cut short is blacked
  // out from where it stopped.
  const bool painted = target.bits != nullptr && target.bitsWidth == width && target.bitsHeight == height;
  uint32_t palette[kColourCount];
  for (int i = 0; i < kColourCount; ++i) {
    const uint32_t colour = ToColorRef(state.colourTable.entry[i]);
    palette[i] = target.dibOrder ? ((colour & 0xffu) << 16) | (colour & 0xff00u) | (colour >> 16) : colour;
  }
  const ColumnPainter painter{target.bits, height, palette, lim.mask, settings.shiftPal != 0};

  const int rows = h2 >= 0 ? h2 + 1 : 0;
  const bool pump = screen.HasPump();
  const bool pumpPerColumn = pump && screen.PumpIsPaced();
  int stopColumn = width, stopRow = 0;  // the first pixel pair not drawn
  {
    ColumnFeed feed(ColumnGrid{m.xmin, dx, m.ymax, dy, std::max(width, 0), rows, lim.limit, lim.threshold},
                    painted ? &painter : nullptr);
    for (int c = 0; c < width; ++c) {
      if (state.abortFrame) {
        stopColumn = c;
        break;
      }
      const int32_t* counts = feed.Column(c);
      int r = 0;
      if (painted) {
        // The pixels are in place; the pump still runs after every pair, or
        // after the column's first when it is paced.
        if (pumpPerColumn && h2 >= 0) {
          screen.Pump();
          r = state.abortFrame ? 1 : h2 + 1;
        }
        if (!pump) r = h2 + 1;
        for (; r <= h2 && !state.abortFrame; ++r) screen.Pump();
      } else {
        for (; r <= h2 && !state.abortFrame; ++r) {
          const int32_t k = counts[size_t(r)];
          const uint32_t colour = k < 0 ? 0u : ToColorRef(state.colourTable.entry[k & lim.mask]);
          target.SetPixel(c, r, colour);
          // Mirrored about height / 2; row 0's mirror is row height, which is clipped.
          target.SetPixel(c, height - r, colour);
          if (pump) screen.Pump();
        }
      }
      if (settings.shiftPal) RotateColourTable(state.colourTable, 1);
      if (r <= h2) {
        stopColumn = c;
        stopRow = r;
        break;
      }
    }
  }
  if (painted) BlackOutFrom(target, stopColumn, stopRow, h2);

  // Copied also after an abort, so the partial image is shown.
  screen.EndTarget(offscreen, width, height);
  state.newImage = 0;
  state.frameCount += 1;
}

SurfaceScreen::SurfaceScreen(int width, int height)
    : screen(width, height), offscreen_(0, 0) {
  target_.Attach(&screen);
  target_.bits = nullptr;
}

void SurfaceScreen::FillBlack(int width, int height) {
  ++blackFills;
  const int w = std::min(width, screen.width), h = std::min(height, screen.height);
  for (int y = 0; y < h; ++y) std::fill_n(&screen.pixels[size_t(y) * size_t(screen.width)], size_t(std::max(w, 0)), 0u);
}

PixelTarget& SurfaceScreen::BeginTarget(bool offscreen, int width, int height) {
  if (offscreen) {
    // Kept from one frame to the next of the same size, as on the screen
    // side. A new one starts with a colour no frame sets, so that a pixel a
    // frame leaves unset shows.
    if (offscreen_.width != width || offscreen_.height != height) {
      offscreen_ = Surface(width, height);
      std::fill(offscreen_.pixels.begin(), offscreen_.pixels.end(), kUnsetPixel);
    }
    target_.Attach(&offscreen_);
  } else {
    // Straight on the screen: pixel by pixel, as they are set.
    target_.Attach(&screen);
    target_.bits = nullptr;
  }
  return target_;
}

void SurfaceScreen::EndTarget(bool offscreen, int width, int height) {
  if (!offscreen) return;
  ++copies;
  const int w = std::min({width, offscreen_.width, screen.width});
  const int h = std::min({height, offscreen_.height, screen.height});
  for (int y = 0; y < h; ++y)
    std::copy_n(&offscreen_.pixels[size_t(y) * size_t(offscreen_.width)], size_t(std::max(w, 0)),
                &screen.pixels[size_t(y) * size_t(screen.width)]);
  target_.Attach(&screen);
  target_.bits = nullptr;
}

}  // namespace fracsave
