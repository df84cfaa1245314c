// The column iterations behind IterateColumn, one per instruction set, and
// the processor check that picks between them. Every one gives exactly the
// counts of IterateColumnScalar.
#pragma once

#include <cstdint>

// The AVX2 kernel exists on x86 builds that compile its file (see CMakeLists).
#if (defined(__i386__) || defined(__x86_64__)) && defined(FRACSAVE_AVX2_KERNEL)
#define FRACSAVE_HAS_AVX2_KERNEL 1
#else
#define FRACSAVE_HAS_AVX2_KERNEL 0
#endif

// Registers of four points in flight per block: 32-bit x86 has only eight
// vector registers, so more would mostly add stack traffic.
#ifndef FRACSAVE_AVX2_VECTORS
#define FRACSAVE_AVX2_VECTORS 2
#endif

namespace fracsave {

void IterateColumnSse2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out);
#if FRACSAVE_HAS_AVX2_KERNEL
void IterateColumnAvx2(double cr, double ymax, double dy, int count, int limit, double threshold,
                       int32_t* out);
#endif

// True when the processor has AVX2 and the system saves the wide registers
// across thread switches (without the latter, AVX2 instructions fault).
bool ProcessorHasAvx2();

}  // namespace fracsave
