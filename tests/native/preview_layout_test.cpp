#include "velora/playback/core/preview_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace velora {
namespace {

TEST(MovieName, DirectoryAndExtensionRemoved) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"C:\\CLIPS\\FISH.AVI", "FISH"},          {"C:\\MY.CLIPS\\FISH", "FISH"},
      {"C:\\MY.CLIPS\\FISH.TAR.AVI", "FISH.TAR"}, {"C:\\CLIPS\\FISH.", "FISH"},
      {"C:\\CLIPS\\FISH.AVI..", "FISH"},        {"\\\\server\\share/sub/FISH.AVI", "FISH"},
      {"C:FISH.AVI", "FISH"},                   {"FISH.AVI", "FISH"},
      {"C:\\CLIPS\\.AVI", ""},                  {"C:\\CLIPS\\", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(MovieName(path), name) << path;
}

TEST(PreviewScroll, OneRowPerTickThroughTheStripThenBackWhileTheLightsAlternate) {
  for (int lines : {0, 1, 3, 250}) {
    SCOPED_TRACE(lines);
    PreviewScroll scroll;
    scroll.Start(lines, 40);
    EXPECT_EQ(scroll.topMargin, 50);
    EXPECT_EQ(scroll.scrollPos, 50);
    int ticks = 0;
    do {
      const int frame = scroll.marqueeFrame, pos = scroll.scrollPos;
      scroll.Tick();
      ++ticks;
      ASSERT_EQ(scroll.marqueeFrame, 1 - frame);
      ASSERT_EQ(scroll.scrollPos, pos == lines * 20 + 50 ? 50 : pos + 1);
    } while (scroll.scrollPos != 50);
    EXPECT_EQ(ticks, lines * 20 + 1);
  }
  // Lists too long for the arithmetic still wrap.
  PreviewScroll huge;
  huge.Start(static_cast<size_t>(INT_MAX) + 5, 40);
  huge.scrollPos = huge.stripHeight;
  huge.Tick();
  EXPECT_EQ(huge.scrollPos, 50);
}

TEST(PreviewScroll, DenserScreensSpaceTheNamesByTheirScale) {
  const struct {
    int artScale, marquee, pitch, topMargin;
  } cases[] = {{100, 40, 20, 50}, {150, 60, 30, 75}, {200, 80, 40, 100}};
  for (const auto& c : cases) {
    PreviewScroll scroll;
    scroll.Start(3, c.marquee, c.artScale);
    EXPECT_EQ(scroll.linePitch, c.pitch) << c.artScale;
    EXPECT_EQ(scroll.topMargin, c.topMargin) << c.artScale;
    EXPECT_EQ(scroll.stripHeight, c.topMargin + 3 * c.pitch) << c.artScale;
  }
}

TEST(NameStripFits, BoundedByBytesWhateverTheShape) {
  const int rowsAt32 = static_cast<int>(kNameStripMaxBytes / (152 * 4));
  EXPECT_TRUE(NameStripFits(152, rowsAt32, 32));
  EXPECT_FALSE(NameStripFits(152, rowsAt32 + 1, 32));
  EXPECT_FALSE(NameStripFits(152, 20000 * 20 + 50, 32));  // 20,000 names
  EXPECT_TRUE(NameStripFits(152, rowsAt32 * 4, 8));
  EXPECT_FALSE(NameStripFits(1, static_cast<int>(kNameStripMaxBytes / 2) + 1, 1));  // rows padded to words
  EXPECT_FALSE(NameStripFits(INT_MAX, INT_MAX, 32));
  EXPECT_FALSE(NameStripFits(0, 50, 32));
}

}  // namespace
}  // namespace velora
