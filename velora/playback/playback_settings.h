#pragma once
// The movie saver's per-user playback values.
#include <cstdint>

namespace velora {

struct PlaybackSettings {
  std::int32_t Reverse = 0;   // non-zero: every movie plays backwards
  std::int32_t Mute = 0;      // non-zero: the movie's sound is off
  std::int32_t Zoom = 1;      // 0: half size, 2: double size, else the movie's own size
  std::int32_t Speed = 1000;  // thousandths of the normal rate
  std::int32_t Center = 0;    // non-zero: centred, 0: a random place
  // Non-zero: every movie at the largest size that fits the screen, in place
  // of Zoom, which keeps its value for older copies of the saver.
  std::int32_t FitToScreen = 0;
};

}  // namespace velora
