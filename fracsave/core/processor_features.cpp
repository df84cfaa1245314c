#include "fracsave/core/mandelbrot_kernels.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace fracsave {

bool ProcessorHasAvx2() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool osSavesState = (c & bit_OSXSAVE) != 0, avx = (c & bit_AVX) != 0;
  if (!osSavesState || !avx) return false;
  // XCR0 bits 1 and 2: the system saves the SSE and the upper AVX halves.
  unsigned lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  if ((lo & 6u) != 6u) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & bit_AVX2) != 0;
#else
  return false;
#endif
}

}  // namespace fracsave
