#include "velora/playback/core/playback_speed.h"

#include <algorithm>

namespace velora {

std::uint32_t PlaybackSpeed(std::int32_t stored) {
  return static_cast<std::uint32_t>(stored > 0 ? stored : kNormalSpeed);
}

std::int32_t SpeedInDialogRange(std::int32_t stored) {
  return std::clamp(static_cast<std::int32_t>(PlaybackSpeed(stored)), kSlowestSpeed, kFastestSpeed);
}

}  // namespace velora
