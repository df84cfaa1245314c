#include "velora/playback/preview_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace velora {
namespace {

TEST(MovieName, DirectoryAndExtensionRemoved) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"C:\\CLIPS\\FISH.AVI", "FISH"},
      {"C:\\MY.CLIPS\\FISH", "FISH"},           // dots in folder names, no extension
      {"C:\\MY.CLIPS\\FISH.TAR.AVI", "FISH.TAR"},  // only the last extension goes
      {"C:\\CLIPS\\FISH.", "FISH"},             // trailing dots
      {"C:\\CLIPS\\FISH.AVI..", "FISH"},
      {"\\\\server\\share/sub/FISH.AVI", "FISH"},
      {"C:FISH.AVI", "FISH"},
      {"FISH.AVI", "FISH"},
      {"C:\\CLIPS\\.AVI", ""},
      {"C:\\CLIPS\\", ""},
      {"", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(MovieName(path), name) << path;
}

// Ticks until the first name is back under the marquee.
long long CycleTicks(PreviewScroll scroll) {
  long long ticks = 0;
  do {
    scroll.Tick();
    ++ticks;
  } while (scroll.scrollPos != scroll.topMargin && ticks < 1000000);
  return ticks;
}

TEST(PreviewScroll, OnePixelPerTickThroughTheWholeStripThenBack) {
  for (int lines : {0, 1, 3, 250}) {
    SCOPED_TRACE(lines);
    PreviewScroll scroll;
    scroll.Start(lines, 40);
    EXPECT_EQ(scroll.topMargin, 50);
    EXPECT_EQ(scroll.stripHeight, lines * 20 + 50);
    EXPECT_EQ(scroll.scrollPos, 50);
    EXPECT_EQ(CycleTicks(scroll), lines * 20 + 1);
  }
  PreviewScroll fish;
  fish.Start(1, 40);
  std::vector<int> positions;
  for (int i = 0; i < 22; ++i) {
    fish.Tick();
    positions.push_back(fish.scrollPos);
  }
  EXPECT_EQ(positions[0], 51);
  EXPECT_EQ(positions[19], 70);  // the strip's end: the name area is blank
  EXPECT_EQ(positions[20], 50);
  EXPECT_EQ(positions[21], 51);
}

TEST(PreviewScroll, MarqueeLightsAlternateEveryTick) {
  PreviewScroll scroll;
  scroll.Start(0, 40);
  std::vector<int> frames{scroll.marqueeFrame};
  for (int i = 0; i < 4; ++i) {
    scroll.Tick();
    frames.push_back(scroll.marqueeFrame);
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 0, 1, 0}));
}

TEST(PreviewScroll, ListsTooLongForTheArithmeticStayWhole) {
  PreviewScroll scroll;
  scroll.Start(static_cast<std::size_t>(INT_MAX) + 5, 40);
  EXPECT_EQ(scroll.stripHeight, INT_MAX);
  scroll.scrollPos = INT_MAX;
  scroll.Tick();
  EXPECT_EQ(scroll.scrollPos, scroll.topMargin);
}

TEST(NameStripFits, BoundedByBytesWhateverTheShape) {
  // 20,000 names in a 152-pixel preview: 400,050 rows, far beyond the bound.
  EXPECT_FALSE(NameStripFits(152, 20000 * 20 + 50, 32));
  EXPECT_TRUE(NameStripFits(152, 1000 * 20 + 50, 32));
  const int rowsAt32 = static_cast<int>(kNameStripMaxBytes / (152 * 4));
  EXPECT_TRUE(NameStripFits(152, rowsAt32, 32));
  EXPECT_FALSE(NameStripFits(152, rowsAt32 + 1, 32));
  // Shallower screens hold more rows; padding counts.
  EXPECT_TRUE(NameStripFits(152, rowsAt32 * 4, 8));
  EXPECT_FALSE(NameStripFits(1, static_cast<int>(kNameStripMaxBytes / 2) + 1, 1));
  EXPECT_FALSE(NameStripFits(INT_MAX, INT_MAX, 32));
  EXPECT_FALSE(NameStripFits(0, 50, 32));
  EXPECT_FALSE(NameStripFits(152, 0, 32));
}

}  // namespace
}  // namespace velora
