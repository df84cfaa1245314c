#include "velora/playback/core/frame_pacing.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

constexpr long long kMs = 10000;
constexpr long long kDrop = FramePacing::kDrop;

struct Step {
  long long sample, duration;
  bool running;
  long long movie, steady;
  double rate;
  long long wait;
  bool heard = true;
};

void Play(const Step* steps, int count) {
  FramePacing pacing;
  for (int i = 0; i < count; ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(pacing.WaitFor(s.sample, s.duration, FrameClock{s.running, s.movie, s.steady, s.heard}, s.rate), s.wait)
        << "step " << i << ": frame at " << s.sample / kMs << " ms";
  }
}

TEST(FramePacing, OnThePresentationClockFramesWaitForTheirStampAndLateOnesAreDropped) {
  const Step steps[] = {
      {133 * kMs, 67 * kMs, true, 150 * kMs, 9000 * kMs, 1, 0},       // first: at once, though the clock is past it
      {200 * kMs, 67 * kMs, true, 160 * kMs, 9010 * kMs, 1, 40 * kMs},  // waits for the clock, to 100 ns
      {267 * kMs, 67 * kMs, true, 300 * kMs, 9150 * kMs, 1, 0},        // 33 ms late: shown
      {333 * kMs, 67 * kMs, true, 450 * kMs, 9300 * kMs, 1, kDrop},    // more than a frame late: dropped
      {400 * kMs, 67 * kMs, true, 460 * kMs, 9310 * kMs, 1, 0},        // under a frame late
      {600 * kMs, 0, true, 400 * kMs, 9320 * kMs, 2, 100 * kMs},        // the clock runs at the rate
      {650 * kMs, 0, true, 1000 * kMs, 9330 * kMs, 2, kDrop},           // no length: a usual frame's
  };
  Play(steps, sizeof steps / sizeof steps[0]);
}

// Without sound the clock counts from the first frame, which is on time
// however late the reader stamped it.
TEST(FramePacing, WithoutSoundTheClockCountsFromTheFirstFrame) {
  const Step steps[] = {
      {133 * kMs, 67 * kMs, true, 150 * kMs, 9000 * kMs, 1, 0, false},          // first, at 150 on the clock
      {200 * kMs, 67 * kMs, true, 160 * kMs, 9010 * kMs, 1, 57 * kMs, false},   // due at 217
      {267 * kMs, 67 * kMs, true, 300 * kMs, 9150 * kMs, 1, 0, false},          // due at 284: 16 ms late
      {400 * kMs, 67 * kMs, true, 500 * kMs, 9350 * kMs, 1, kDrop, false},      // due at 417: 83 ms late
  };
  Play(steps, sizeof steps / sizeof steps[0]);
}

TEST(FramePacing, WithoutAClockTheMoviesOwnSpacingCountsFromTheFirstFrame) {
  const Step steps[] = {
      {133 * kMs, 0, false, 0, 5000 * kMs, 1, 0},          // first: at once
      {200 * kMs, 0, false, 0, 5001 * kMs, 1, 66 * kMs},   // 67 ms after the first, 1 ms gone
      {267 * kMs, 0, false, 0, 5134 * kMs, 1, 0},          // on time
      {1133 * kMs, 0, false, 0, 5000 * kMs, 2, 500 * kMs},  // twice the speed: half the spacing
      {1133 * kMs, 0, false, 0, 5000 * kMs, 0, 1000 * kMs},  // no usable rate: normal speed
      {300 * kMs, 0, false, 0, 5600 * kMs, 1, kDrop},      // far behind: dropped
  };
  Play(steps, sizeof steps / sizeof steps[0]);
}

TEST(FramePacing, ThePictureNeverStandsStillLongerThanAQuarterSecondForLateFrames) {
  FramePacing pacing;
  EXPECT_EQ(pacing.WaitFor(0, 0, FrameClock{true, 0, 0, true}, 1), 0);
  // Decoding at a third of the movie's speed: every frame comes late.
  int shown = 0;
  for (int i = 1; i <= 60; ++i) {
    const long long at = i * 100 * kMs;
    if (pacing.WaitFor(i * 33 * kMs, 33 * kMs, FrameClock{true, at, at, true}, 1) == 0) ++shown;
  }
  EXPECT_EQ(shown, 20);
  EXPECT_EQ(pacing.Dropped(), 40u);
}

}  // namespace
}  // namespace velora
