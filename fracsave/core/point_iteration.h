// The Mandelbrot iteration: one point, and one column of points at a time
// on the widest vector unit the processor has.
#pragma once

#include <cstdint>

namespace fracsave {

// Iterations for one point if it escaped, or -1 when it is black (limit
// reached, or the sum landed exactly on the threshold).
int32_t IteratePoint(double cr, double ci, int limit, double threshold);

// Rows 0..count-1 of one column: ci = ymax - r * dy. Same result as
// IteratePoint for every row, several points at a time where the CPU allows.
void IterateColumn(double cr, double ymax, double dy, int count, int limit, double threshold,
                   int32_t* out);
// The instruction set of IterateColumn: AVX2 where the processor has it (four
// points per register), else SSE2. Both give the same counts.
enum class VectorPath { kSse2, kAvx2 };
// Picks the path for the whole process (AVX2 only where available) and
// returns the one now in use. Not while a frame runs.
VectorPath UseVectorPath(VectorPath wanted);
VectorPath CurrentVectorPath();

// The one-point-at-a-time version of IterateColumn, kept as the reference.
void IterateColumnScalar(double cr, double ymax, double dy, int count, int limit,
                         double threshold, int32_t* out);

}  // namespace fracsave
