#include "velora/playback/core/frame_pacing.h"

namespace velora {

unsigned long FramePacing::WaitFor(long long sampleTime, long long now, double rate) {
  if (!started) {
    started = true;
    firstSample = sampleTime;
    firstShown = now;
    return 0;
  }
  if (!(rate > 0)) rate = 1;
  const double due = static_cast<double>(sampleTime - firstSample) / rate;
  const double wait = (due - static_cast<double>(now - firstShown)) / 10000.0;
  // Whole milliseconds, rounded up: a frame is never shown before its time.
  return wait > 0 ? static_cast<unsigned long>(wait + 0.999) : 0;
}

}  // namespace velora
