// Four points per register on processors with AVX2, the same operations in
// the same order as the one-point loop, so every count matches it. Built on
// its own with AVX2 enabled; only called once the processor is known to have it.
//
// 32-bit Windows code cannot count on a stack aligned for 32-byte values
// (callers keep 4 or 16 bytes), so this file is assembled with every vector
// move unaligned: a register spilled to the stack is then safe wherever the
// stack lies.
#include "fracsave/core/mandelbrot_kernels.h"

#if FRACSAVE_HAS_AVX2_KERNEL
#include <immintrin.h>

#include "fracsave/core/vector_block.h"

namespace fracsave {
namespace {

// Four points per AVX2 register.
struct Avx2Lanes {
  using Reg = __m256d;
  using Counts = __m256i;
  static constexpr int kWidth = 4;
  static Reg Set1(double v) { return _mm256_set1_pd(v); }
  static Reg Zero() { return _mm256_setzero_pd(); }
  static Reg Add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg Sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
  static Reg Mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static Reg And(Reg a, Reg b) { return _mm256_and_pd(a, b); }
  static Reg Or(Reg a, Reg b) { return _mm256_or_pd(a, b); }
  static Reg Greater(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static Reg Less(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static Reg Equal(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  // Not a, and b.
  static Reg AndNot(Reg a, Reg b) { return _mm256_andnot_pd(a, b); }
  static bool NoneSet(Reg m) { return _mm256_movemask_pd(m) == 0; }
  static Reg Rows(double ymax, double dy, int r0) {
    return _mm256_set_pd(ymax - double(r0 + 3) * dy, ymax - double(r0 + 2) * dy,
                         ymax - double(r0 + 1) * dy, ymax - double(r0) * dy);
  }
  static Reg RowsBefore(int count, int r0) {
    return _mm256_castsi256_pd(_mm256_set_epi64x(r0 + 3 < count ? -1 : 0, r0 + 2 < count ? -1 : 0,
                                                 r0 + 1 < count ? -1 : 0, r0 < count ? -1 : 0));
  }
  static Counts NoCounts() { return _mm256_setzero_si256(); }
  // All-ones lanes add 1.
  static Counts CountActive(Counts k, Reg act) { return _mm256_sub_epi64(k, _mm256_castpd_si256(act)); }
  static void Store(Counts k, Reg esc, int r0, int count, int32_t* out) {
    int64_t kk[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(kk), k);
    const int e = _mm256_movemask_pd(esc);
    for (int lane = 0; lane < 4; ++lane)
      if (r0 + lane < count) out[r0 + lane] = (e >> lane) & 1 ? int32_t(kk[lane]) : -1;
  }
};

}  // namespace

void IterateColumnAvx2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out) {
  constexpr int kVectors = FRACSAVE_AVX2_VECTORS;
  const __m256d vcr = _mm256_set1_pd(cr), vthr = _mm256_set1_pd(threshold);
  for (int first = 0; first < count; first += 4 * kVectors)
    IterateBlock<Avx2Lanes, kVectors>(vcr, ymax, dy, first, count, limit, vthr, out);
}

}  // namespace fracsave
#endif
