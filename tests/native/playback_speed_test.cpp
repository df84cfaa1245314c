// The stored Speed as both players and the Options dialog take it.
#include "velora/playback/core/playback_speed.h"

#include <gtest/gtest.h>

#include <limits>

namespace velora {
namespace {

TEST(PlaybackSpeed, PositiveValuesPlayAsStoredAndTheDialogShowsThemInItsRange) {
  const struct {
    std::int32_t stored;
    std::uint32_t played;
    std::int32_t shown;
  } cases[] = {
      {1000, 1000, 1000}, {500, 500, 500},  {2000, 2000, 2000}, {1250, 1250, 1250},
      {100, 100, 500},    {1, 1, 500},      {3000, 3000, 2000}, {std::numeric_limits<std::int32_t>::max(), 2147483647u, 2000},
      // No rate at all, or a negative one: the normal rate, never a huge unsigned one.
      {0, 1000, 1000},    {-1, 1000, 1000}, {-500, 1000, 1000}, {std::numeric_limits<std::int32_t>::min(), 1000, 1000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlaybackSpeed(c.stored), c.played) << c.stored;
    EXPECT_EQ(SpeedInDialogRange(c.stored), c.shown) << c.stored;
  }
}

}  // namespace
}  // namespace velora
