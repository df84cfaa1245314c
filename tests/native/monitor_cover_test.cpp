// The savers' window over every monitor: where it goes, where the picture
// goes in it, and what stays black, for monitors on every side of the primary.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "framework/core/monitor_cover.h"

namespace fw {
namespace {

using Corners = std::array<int32_t, 4>;
Corners Of(const Box& b) { return {b.left, b.top, b.right, b.bottom}; }

TEST(CoverMonitors, ThePictureOnThePrimaryAndEveryOtherPlaceBlack) {
  const struct Case {
    const char* what;
    Box virtualScreen, primary;  // screen coordinates
    Corners primaryInWindow;
    std::vector<Corners> black;  // above, below, left, right
  } cases[] = {
      {"one monitor", {0, 0, 640, 480}, {0, 0, 640, 480}, {0, 0, 640, 480}, {}},
      {"second right", {0, 0, 1280, 480}, {0, 0, 640, 480}, {0, 0, 640, 480}, {{640, 0, 1280, 480}}},
      {"second left", {-640, 0, 640, 480}, {0, 0, 640, 480}, {640, 0, 1280, 480}, {{0, 0, 640, 480}}},
      {"second above", {0, -480, 640, 480}, {0, 0, 640, 480}, {0, 480, 640, 960}, {{0, 0, 640, 480}}},
      {"a larger second below, reaching further left and right",
       {-80, 0, 720, 1080},
       {0, 0, 640, 480},
       {80, 0, 720, 480},
       {{0, 480, 800, 1080}, {0, 0, 80, 480}, {720, 0, 800, 480}}},
      {"monitors on all sides",
       {-1920, -200, 2560, 1080},
       {0, 0, 1280, 1024},
       {1920, 200, 3200, 1224},
       {{0, 0, 4480, 200}, {0, 1224, 4480, 1280}, {0, 200, 1920, 1224}, {3200, 200, 4480, 1224}}},
      {"no primary known: all black", {0, 0, 640, 480}, {0, 0, 0, 0}, {0, 0, 0, 0}, {{0, 0, 640, 480}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MonitorCover cover = CoverMonitors(c.virtualScreen, c.primary);
    EXPECT_EQ(Of(cover.window), Of(c.virtualScreen));
    EXPECT_EQ(Of(cover.primary), c.primaryInWindow);
    std::vector<Corners> black;
    for (int i = 0; i < cover.blackCount; ++i) black.push_back(Of(cover.black[i]));
    EXPECT_EQ(black, c.black);
  }
}

}  // namespace
}  // namespace fw
