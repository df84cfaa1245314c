#include "fracsave/core/mandelbrot.h"

#include <algorithm>
#include <atomic>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot_kernels.h"

#if defined(__SSE2__) && !defined(FRACSAVE_SCALAR_ONLY)
#include <emmintrin.h>
#define FRACSAVE_SSE2 1
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

// 2*V points at once, two per SSE2 register, each lane doing exactly the
// scalar operations in the scalar order. A lane that has stopped keeps
// computing (cheaper than freezing it) but no longer counts, and its result
// is latched at the iteration where it stopped. V independent registers keep
// the multiply and add units busy while each one waits on its own chain.
template <int V>
void IterateBlock(__m128d vcr, double ymax, double dy, int first, int count, int limit,
                  __m128d vthr, int32_t* out) {
  const __m128d two = _mm_set1_pd(2.0);
  __m128d x[V], y[V], x2[V], y2[V], s[V], ci[V], act[V], esc[V];
  __m128i k[V];
  for (int v = 0; v < V; ++v) {
    const int r0 = first + 2 * v, r1 = r0 + 1;
    ci[v] = _mm_set_pd(ymax - double(r1) * dy, ymax - double(r0) * dy);
    x[v] = y[v] = x2[v] = y2[v] = s[v] = esc[v] = _mm_setzero_pd();
    // Lanes past the end of the column start idle.
    act[v] = _mm_castsi128_pd(_mm_set_epi32(r1 < count ? -1 : 0, r1 < count ? -1 : 0,
                                            r0 < count ? -1 : 0, r0 < count ? -1 : 0));
    k[v] = _mm_setzero_si128();
  }
  for (int it = 0;; ++it) {
    // The loop test of each point: stop at the limit or once x2 + y2 is not
    // below the threshold; it escaped if the sum is above it at that moment.
    __m128d any = _mm_setzero_pd();
    for (int v = 0; v < V; ++v) {
      esc[v] = _mm_or_pd(esc[v], _mm_and_pd(act[v], _mm_cmpgt_pd(s[v], vthr)));
      act[v] = _mm_and_pd(act[v], _mm_cmplt_pd(s[v], vthr));
      any = _mm_or_pd(any, act[v]);
    }
    // At or past the limit, as the scalar loop test, also for a limit below 0.
    if (it >= limit || _mm_movemask_pd(any) == 0) break;
    for (int v = 0; v < V; ++v) {
      const __m128d t = _mm_mul_pd(_mm_mul_pd(two, x[v]), y[v]);
      x[v] = _mm_add_pd(_mm_sub_pd(x2[v], y2[v]), vcr);
      y[v] = _mm_add_pd(t, ci[v]);
      k[v] = _mm_sub_epi64(k[v], _mm_castpd_si128(act[v]));  // all-ones lanes add 1
      x2[v] = _mm_mul_pd(x[v], x[v]);
      y2[v] = _mm_mul_pd(y[v], y[v]);
      s[v] = _mm_add_pd(x2[v], y2[v]);
    }
  }
  for (int v = 0; v < V; ++v) {
    alignas(16) int32_t kk[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(kk), k[v]);
    const int e = _mm_movemask_pd(esc[v]);
    const int r0 = first + 2 * v;
    if (r0 < count) out[r0] = (e & 1) ? kk[0] : -1;
    if (r0 + 1 < count) out[r0 + 1] = (e & 2) ? kk[2] : -1;
  }
}

}  // namespace
#endif

void IterateColumnSse2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out) {
#if FRACSAVE_SSE2
  constexpr int kVectors = 4;
  const __m128d vcr = _mm_set1_pd(cr), vthr = _mm_set1_pd(threshold);
  for (int first = 0; first < count; first += 2 * kVectors)
    IterateBlock<kVectors>(vcr, ymax, dy, first, count, limit, vthr, out);
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

constexpr int kGroup = 16;

// Puts rows 0..done[j]-1 of staged column groupStart + j, and their mirrors,
// into a memory target, then marks the group empty.
void FlushColumns(PixelTarget& target, const std::vector<uint32_t>& stage, int rows, int height,
                  int groupStart, std::vector<int>& done) {
  const int bw = target.bitsWidth, bh = target.bitsHeight;
  int n = 0;
  while (n < kGroup && done[size_t(n)] > 0) ++n;
  const bool whole = n == kGroup && groupStart + kGroup <= bw &&
                     std::all_of(done.begin(), done.end(), [rows](int d) { return d == rows; });
  for (int r = 0; r < rows; ++r) {
    const int mirror = height - r;
    uint32_t* top = r < bh ? target.bits + size_t(r) * size_t(bw) + groupStart : nullptr;
    uint32_t* bottom =
        mirror >= 0 && mirror < bh ? target.bits + size_t(mirror) * size_t(bw) + groupStart : nullptr;
    if (whole) {
      const uint32_t* from = &stage[size_t(r)];
      for (int j = 0; j < kGroup; ++j) {
        const uint32_t colour = from[size_t(j) * size_t(rows)];
        if (top) top[j] = colour;
        if (bottom) bottom[j] = colour;
      }
      continue;
    }
    for (int j = 0; j < n; ++j) {
      if (r >= done[size_t(j)]) continue;
      const uint32_t colour = stage[size_t(j) * size_t(rows) + size_t(r)];
      if (top) top[j] = colour;
      if (bottom) bottom[j] = colour;
    }
  }
  std::fill(done.begin(), done.end(), 0);
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

  const int rows = h2 >= 0 ? h2 + 1 : 0;
  ColumnFeed feed(ColumnGrid{m.xmin, dx, m.ymax, dy, std::max(width, 0), rows, lim.limit, lim.threshold});
  const bool pump = screen.HasPump();
  const bool memory = target.bits != nullptr && target.bitsWidth >= width && target.bitsHeight >= 0;
  std::vector<uint32_t> stage(memory ? size_t(kGroup) * size_t(rows) : 0);
  std::vector<int> done(memory ? kGroup : 0, 0);
  int groupStart = 0;
  for (int c = 0; c < width && !state.abortFrame; ++c) {
    // The whole column is iterated first (by now, mostly by the workers);
    // colours are looked up as each pixel is set, so a table turned by a
    // handler inside the pump still shows.
    const int32_t* counts = feed.Column(c);
    if (memory) {
      // Colours are resolved now, in order; putting them into the row-major
      // bitmap waits until a group of columns is complete, so that each row
      // gets one run of adjacent pixels instead of a cache miss per pixel.
      if (c - groupStart == kGroup) {
        FlushColumns(target, stage, rows, height, groupStart, done);
        groupStart = c;
      }
      // No rows at all (height -2 or less) leaves the stage empty: no element to point at.
      uint32_t* out = stage.data() + size_t(c - groupStart) * size_t(rows);
      int r = 0;
      if (!pump) {
        // Nothing can turn the table or abort inside a column without a pump.
        uint32_t palette[kColourCount];
        for (int i = 0; i <= lim.mask; ++i) {
          const uint32_t colour = ToColorRef(state.colourTable.entry[i]);
          palette[i] = target.dibOrder ? ((colour & 0xffu) << 16) | (colour & 0xff00u) | (colour >> 16) : colour;
        }
        for (; r <= h2; ++r) {
          const int32_t k = counts[size_t(r)];
          out[r] = k < 0 ? 0u : palette[k & lim.mask];
        }
      }
      for (; r <= h2 && !state.abortFrame; ++r) {
        const int32_t k = counts[size_t(r)];
        uint32_t colour = k < 0 ? 0u : ToColorRef(state.colourTable.entry[k & lim.mask]);
        if (target.dibOrder) colour = ((colour & 0xffu) << 16) | (colour & 0xff00u) | (colour >> 16);
        out[r] = colour;
        if (pump) screen.Pump();
      }
      done[size_t(c - groupStart)] = r;
    } else {
      for (int r = 0; r <= h2 && !state.abortFrame; ++r) {
        const int32_t k = counts[size_t(r)];
        const uint32_t colour = k < 0 ? 0u : ToColorRef(state.colourTable.entry[k & lim.mask]);
        target.SetPixel(c, r, colour);
        // Mirrored about height / 2; row 0's mirror is row height, which is clipped.
        target.SetPixel(c, height - r, colour);
        if (pump) screen.Pump();
      }
    }
    if (settings.shiftPal) RotateColourTable(state.colourTable, 1);
  }

  // The last group, possibly cut short by an abort: only what was set is put.
  if (memory) FlushColumns(target, stage, rows, height, groupStart, done);

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
    // A new bitmap each frame, as on the screen side; black, so that an
    // aborted frame shows the same on every run.
    if (offscreen_.width == width && offscreen_.height == height)
      std::fill(offscreen_.pixels.begin(), offscreen_.pixels.end(), 0u);
    else
      offscreen_ = Surface(width, height);
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
