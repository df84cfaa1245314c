#pragma once
// The one rule for the stored Speed, used by both ways a movie plays (the
// media control interface and Media Foundation) and by the Options dialog.
#include <cstdint>

namespace velora {

// In thousandths of a movie's own rate.
constexpr std::int32_t kNormalSpeed = 1000;
constexpr std::int32_t kSlowestSpeed = 500;   // the Options dialog's range
constexpr std::int32_t kFastestSpeed = 2000;

// The rate a movie is asked to play at: a positive stored value as it stands,
// also outside the Options dialog's range (a device that cannot go at it
// keeps its own rate); zero or a negative value names no rate at all and
// plays at the normal one.
std::uint32_t PlaybackSpeed(std::int32_t stored);

// Where the Options dialog shows a stored value: the rate it plays at, at the
// nearer end of the dialog's range.
std::int32_t SpeedInDialogRange(std::int32_t stored);

}  // namespace velora
