#include "velora/playback/core/frame_pacing.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

constexpr long long kMs = 10000;  // 100 ns units

// A movie whose first frame is stamped 133 ms, at 15 frames a second.
TEST(FramePacing, FirstFrameAtOnceThenTheMoviesOwnSpacing) {
  struct Step {
    long long sample, now;
    double rate;
    unsigned long wait;
  };
  const Step steps[] = {
      {133 * kMs, 5000 * kMs, 1, 0},    // first: at once, whatever its stamp
      {200 * kMs, 5001 * kMs, 1, 66},   // 67 ms after the first, 1 ms gone
      {267 * kMs, 5134 * kMs, 1, 0},    // on time
      {333 * kMs, 5300 * kMs, 1, 0},    // late: at once, never a wait to catch up
      {100 * kMs, 5300 * kMs, 1, 0},    // stamped before the first
      {1133 * kMs, 5000 * kMs, 2, 500}, // twice the speed: half the spacing
      {1133 * kMs, 5000 * kMs, 0, 1000},  // no usable rate: normal speed
      {1133 * kMs, 5999 * kMs + 1, 1, 1}, // part of a millisecond rounds up
  };
  FramePacing pacing;
  for (const Step& s : steps)
    EXPECT_EQ(pacing.WaitFor(s.sample, s.now, s.rate), s.wait) << s.sample / kMs << " ms at " << s.now / kMs;
}

}  // namespace
}  // namespace velora
