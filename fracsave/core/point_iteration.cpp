#include "fracsave/core/point_iteration.h"

#include <atomic>

#include "fracsave/core/mandelbrot_kernels.h"

#if defined(__SSE2__) && !defined(FRACSAVE_SCALAR_ONLY)
#include <emmintrin.h>
#define FRACSAVE_SSE2 1
#include "fracsave/core/vector_block.h"
#endif

namespace fracsave {

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

}  // namespace fracsave
