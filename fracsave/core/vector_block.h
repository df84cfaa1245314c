// The block iteration of the vector kernels, written once for any register
// width. Lanes gives the register types and the few steps that depend on the
// width. Each kernel's file includes this with its own instruction set; the
// unnamed namespace keeps every copy to its own file, so the AVX2 build of it
// can never stand in for the SSE2 one.
#pragma once

#include <cstdint>

namespace fracsave {
namespace {

// Lanes::kWidth * V points at once, each lane doing exactly the scalar
// operations in the scalar order. A lane that has stopped keeps computing
// (cheaper than freezing it) but no longer counts, and its result is latched
// at the iteration where it stopped. V independent registers keep the
// multiply and add units busy while each one waits on its own chain.
//
// A lane whose orbit comes back exactly to a point it has been at repeats
// that cycle to the limit without escaping, so it stops there, black, as the
// loop would end it at the limit. Its point is compared with the orbit as it
// stood at iterations 0, 8, 16, 32, ... (exact equality, no tolerance): the
// black inside of the set then costs a few dozen iterations, not the limit.
template <class Lanes, int V>
void IterateBlock(typename Lanes::Reg vcr, double ymax, double dy, int first, int count, int limit,
                  typename Lanes::Reg vthr, int32_t* out) {
  using Reg = typename Lanes::Reg;
  constexpr int kWidth = Lanes::kWidth;
  const Reg two = Lanes::Set1(2.0);
  Reg x[V], y[V], x2[V], y2[V], s[V], ci[V], act[V], esc[V], seenX[V], seenY[V];
  typename Lanes::Counts k[V];
  for (int v = 0; v < V; ++v) {
    const int r0 = first + kWidth * v;
    ci[v] = Lanes::Rows(ymax, dy, r0);
    x[v] = y[v] = x2[v] = y2[v] = s[v] = esc[v] = seenX[v] = seenY[v] = Lanes::Zero();
    act[v] = Lanes::RowsBefore(count, r0);  // lanes past the end of the column start idle
    k[v] = Lanes::NoCounts();
  }
  int seenAt = 8;  // the next iteration whose point is kept
  for (int it = 0;; ++it) {
    // The loop test of each point: stop at the limit or once x2 + y2 is not
    // below the threshold; it escaped if the sum is above it at that moment.
    Reg any = Lanes::Zero();
    for (int v = 0; v < V; ++v) {
      esc[v] = Lanes::Or(esc[v], Lanes::And(act[v], Lanes::Greater(s[v], vthr)));
      act[v] = Lanes::And(act[v], Lanes::Less(s[v], vthr));
      any = Lanes::Or(any, act[v]);
    }
    // At or past the limit, as the scalar loop test, also for a limit below 0.
    if (it >= limit || Lanes::NoneSet(any)) break;
    for (int v = 0; v < V; ++v) {
      const Reg t = Lanes::Mul(Lanes::Mul(two, x[v]), y[v]);
      x[v] = Lanes::Add(Lanes::Sub(x2[v], y2[v]), vcr);
      y[v] = Lanes::Add(t, ci[v]);
      k[v] = Lanes::CountActive(k[v], act[v]);
      x2[v] = Lanes::Mul(x[v], x[v]);
      y2[v] = Lanes::Mul(y[v], y[v]);
      s[v] = Lanes::Add(x2[v], y2[v]);
      act[v] = Lanes::AndNot(Lanes::And(Lanes::Equal(x[v], seenX[v]), Lanes::Equal(y[v], seenY[v])), act[v]);
    }
    if (it + 1 == seenAt) {
      for (int v = 0; v < V; ++v) {
        seenX[v] = x[v];
        seenY[v] = y[v];
      }
      seenAt *= 2;
    }
  }
  for (int v = 0; v < V; ++v) Lanes::Store(k[v], esc[v], first + kWidth * v, count, out);
}

}  // namespace
}  // namespace fracsave
