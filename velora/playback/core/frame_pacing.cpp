#include "velora/playback/core/frame_pacing.h"

namespace velora {

namespace {

// A frame of a movie at 30 frames a second, for a frame that tells no length.
constexpr long long kUsualFrame = 333333;
// The longest the picture stands still while late frames are dropped.
constexpr long long kLongestStill = 2500000;

}  // namespace

long long FramePacing::WaitFor(long long sampleTime, long long duration, const FrameClock& now, double rate) {
  if (!(rate > 0)) rate = 1;
  if (!started) {
    started = true;
    firstSample = sampleTime;
    firstClock = now.running ? now.movieTime : 0;
    firstShown = lastShown = now.steadyTime;
    return 0;
  }
  const long long movieTime =
      now.running ? (now.heard ? now.movieTime : now.movieTime - firstClock + firstSample)
                  : firstSample + static_cast<long long>(static_cast<double>(now.steadyTime - firstShown) * rate);
  const long long early = sampleTime - movieTime;
  if (early > 0) {
    const long long wait = static_cast<long long>(static_cast<double>(early) / rate);
    lastShown = now.steadyTime + wait;
    return wait;
  }
  if (-early > (duration > 0 ? duration : kUsualFrame) && now.steadyTime - lastShown < kLongestStill) {
    ++dropped;
    return kDrop;
  }
  lastShown = now.steadyTime;
  return 0;
}

}  // namespace velora
