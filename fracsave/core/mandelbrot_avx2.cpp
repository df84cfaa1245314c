// Four points per register on processors with AVX2, the same operations in
// the same order as the one-point loop, so every count matches it. Built on
// its own with AVX2 enabled; only called once the processor is known to have it.
//
// 32-bit Windows compilers keep the stack 4- or 16-byte aligned and do not
// realign it for 32-byte values, so this file is assembled with every vector
// move unaligned: a register spilled to the stack is then safe wherever the
// stack lies.
#include "fracsave/core/mandelbrot_kernels.h"

#if FRACSAVE_HAS_AVX2_KERNEL
#include <immintrin.h>

namespace fracsave {
namespace {

// 4*V points at once; lanes that stopped keep computing but no longer count,
// and their result is latched at the iteration where they stopped.
template <int V>
void IterateBlock(__m256d vcr, double ymax, double dy, int first, int count, int limit,
                  __m256d vthr, int32_t* out) {
  const __m256d two = _mm256_set1_pd(2.0);
  __m256d x[V], y[V], x2[V], y2[V], s[V], ci[V], act[V], esc[V];
  __m256i k[V];
  for (int v = 0; v < V; ++v) {
    const int r0 = first + 4 * v;
    ci[v] = _mm256_set_pd(ymax - double(r0 + 3) * dy, ymax - double(r0 + 2) * dy,
                          ymax - double(r0 + 1) * dy, ymax - double(r0) * dy);
    x[v] = y[v] = x2[v] = y2[v] = s[v] = esc[v] = _mm256_setzero_pd();
    // Lanes past the end of the column start idle.
    act[v] = _mm256_castsi256_pd(_mm256_set_epi64x(r0 + 3 < count ? -1 : 0, r0 + 2 < count ? -1 : 0,
                                                   r0 + 1 < count ? -1 : 0, r0 < count ? -1 : 0));
    k[v] = _mm256_setzero_si256();
  }
  for (int it = 0;; ++it) {
    __m256d any = _mm256_setzero_pd();
    for (int v = 0; v < V; ++v) {
      esc[v] = _mm256_or_pd(esc[v], _mm256_and_pd(act[v], _mm256_cmp_pd(s[v], vthr, _CMP_GT_OQ)));
      act[v] = _mm256_and_pd(act[v], _mm256_cmp_pd(s[v], vthr, _CMP_LT_OQ));
      any = _mm256_or_pd(any, act[v]);
    }
    if (it >= limit || _mm256_movemask_pd(any) == 0) break;
    for (int v = 0; v < V; ++v) {
      const __m256d t = _mm256_mul_pd(_mm256_mul_pd(two, x[v]), y[v]);
      x[v] = _mm256_add_pd(_mm256_sub_pd(x2[v], y2[v]), vcr);
      y[v] = _mm256_add_pd(t, ci[v]);
      k[v] = _mm256_sub_epi64(k[v], _mm256_castpd_si256(act[v]));  // all-ones lanes add 1
      x2[v] = _mm256_mul_pd(x[v], x[v]);
      y2[v] = _mm256_mul_pd(y[v], y[v]);
      s[v] = _mm256_add_pd(x2[v], y2[v]);
    }
  }
  for (int v = 0; v < V; ++v) {
    int64_t kk[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(kk), k[v]);
    const int e = _mm256_movemask_pd(esc[v]);
    for (int lane = 0; lane < 4; ++lane) {
      const int r = first + 4 * v + lane;
      if (r < count) out[r] = (e >> lane) & 1 ? int32_t(kk[lane]) : -1;
    }
  }
}

}  // namespace

void IterateColumnAvx2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out) {
  constexpr int kVectors = FRACSAVE_AVX2_VECTORS;
  const __m256d vcr = _mm256_set1_pd(cr), vthr = _mm256_set1_pd(threshold);
  for (int first = 0; first < count; first += 4 * kVectors)
    IterateBlock<kVectors>(vcr, ymax, dy, first, count, limit, vthr, out);
}

}  // namespace fracsave
#endif
