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
      {true, 0, 116 + 10 + 2 + 6, 22 + 6 + 6 + 15},  // tool window
      {true, 10, 116 + 10 + 2 + 6, 22 + 6 + 6 + 15},  // the image plays no part there
      {false, 10, 116 + 10 + 2, 22 + 6 + 2 + 10},     // self-drawn small caption
      {false, 0, 116 + 10 + 2, 22 + 6 + 2 + 19},      // no image: the full caption's height
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

}  // namespace
}  // namespace velpanel
