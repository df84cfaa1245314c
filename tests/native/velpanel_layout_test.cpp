// The control panel's window size around its toolbar and its placement.
#include <gtest/gtest.h>

#include "velpanel/core/panel_layout.h"

namespace velpanel {
namespace {

// Classic metrics: 1-pixel borders, 3-pixel dialog frames, 15-pixel small
// and 19-pixel full captions.
FrameMetrics Metrics(int smallCaptionImageHeight) {
  FrameMetrics m;
  m.cxBorder = m.cyBorder = 1;
  m.cxDlgFrame = m.cyDlgFrame = 3;
  m.cySmallCaption = 15;
  m.cyCaption = 19;
  m.smallCaptionImageHeight = smallCaptionImageHeight;
  return m;
}

TEST(PanelWindowSize, FramesTheToolbarForEitherShell) {
  const Extent content{116, 22};
  struct Case {
    bool newShell;
    int imageHeight;
    int width, height;
  } cases[] = {
      // The new shell's tool window: thicker frames and the small caption.
      {true, 0, 134, 49},
      {true, 10, 134, 49},  // the caption image plays no part there
      // The old shell's frame with a self-drawn caption as tall as its image...
      {false, 10, 128, 40},
      {false, 0, 128, 49},  // ...or, without one, as tall as a full caption
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "newShell " << c.newShell << ", image " << c.imageHeight);
    Extent size = PanelWindowSize(content, Metrics(c.imageHeight), c.newShell);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
  }
}

TEST(PlacePanel, BringsBackOnlyWhatLiesBeyondTheRightOrBottomEdge) {
  const Extent screen{1024, 768};
  struct Case {
    Position stored, placed;
  } cases[] = {
      {{100, 100}, {100, 100}},    // the first run's default
      {{5000, 5000}, {874, 668}},  // off screen
      {{1025, 100}, {874, 100}},   // one pixel beyond, each edge on its own
      {{100, 769}, {100, 668}},
      {{1024, 768}, {1024, 768}},  // on the edge: kept
      {{-40, -3000}, {-40, -3000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored.left << "," << c.stored.top);
    Position placed = PlacePanel(c.stored, screen);
    EXPECT_EQ(placed.left, c.placed.left);
    EXPECT_EQ(placed.top, c.placed.top);
  }
}

TEST(PlacePanel, OnSeveralMonitorsKeepsTheWholeWindowInTheWorkAreaItStandsOn) {
  const Extent window{150, 40};
  // A monitor left of the primary, its taskbar at the bottom; one monitor keeps the old rule.
  const Desktop left{2, {1024, 768}, {-1280, 0, 0, 984}};
  const Desktop single{1, {1024, 768}, {0, 0, 1024, 738}};
  struct Case {
    const char* what;
    Desktop desktop;
    Position stored, placed;
  } cases[] = {
      {"inside the second monitor", left, {-900, 300}, {-900, 300}},
      {"over its left edge", left, {-1300, 300}, {-1280, 300}},
      {"under its taskbar", left, {-900, 970}, {-900, 944}},
      {"across its right edge", left, {-30, -20}, {-150, 0}},
      {"unplugged: the primary's work area", {2, {1024, 768}, {0, 0, 1024, 738}}, {-3000, 5000}, {0, 698}},
      {"one monitor: beyond is brought back", single, {5000, 5000}, {874, 668}},
      {"one monitor: negative is kept", single, {-40, -3000}, {-40, -3000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Position placed = PlacePanel(c.stored, window, c.desktop);
    EXPECT_EQ(placed.left, c.placed.left);
    EXPECT_EQ(placed.top, c.placed.top);
  }
  // A window larger than the work area keeps its left and top edges inside.
  Position big = PlacePanel({-2000, 100}, {2000, 2000}, left);
  EXPECT_EQ(big.left, -1280);
  EXPECT_EQ(big.top, 0);
}

}  // namespace
}  // namespace velpanel
