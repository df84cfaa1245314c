// The fractal saver's colour wheel and region choice.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/regions.h"

using namespace fracsave;

namespace {

struct Rgb {
  int r, g, b;
};
void ExpectEntry(const ColourTable& t, int i, Rgb want) {
  SCOPED_TRACE("entry " + std::to_string(i));
  EXPECT_EQ(t.entry[i].red, want.r);
  EXPECT_EQ(t.entry[i].green, want.g);
  EXPECT_EQ(t.entry[i].blue, want.b);
  EXPECT_EQ(t.entry[i].flags, 0);
}

TEST(FracColourTable, NamedEntriesOfTheWheel) {
  ColourTable t;
  BuildColourTable(t);
  ExpectEntry(t, 0, {255, 0, 0});
  ExpectEntry(t, 41, {255, 246, 0});
  ExpectEntry(t, 42, {255, 255, 0});
  ExpectEntry(t, 83, {9, 255, 0});
  ExpectEntry(t, 84, {0, 255, 0});
  ExpectEntry(t, 126, {0, 255, 255});
  ExpectEntry(t, 168, {0, 0, 255});
  ExpectEntry(t, 209, {246, 0, 255});
  ExpectEntry(t, 210, {255, 0, 255});
  ExpectEntry(t, 252, {255, 0, 3});
  for (int i = 253; i < 256; ++i) ExpectEntry(t, i, {255, 0, 0});
}

TEST(FracColourTable, RotationsAccumulateAndEightOf32AreTheIdentity) {
  ColourTable start, t;
  BuildColourTable(start);
  t = start;
  RotateColourTable(t, 1);
  ExpectEntry(t, 0, {255, 6, 0});
  ExpectEntry(t, 255, {255, 0, 0});  // old entry 0 moved to the end
  RotateColourTable(t, 31);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(ToColorRef(t.entry[i]), ToColorRef(start.entry[(i + 32) % 256]));

  t = start;
  for (int n = 0; n < 8; ++n) RotateColourTable(t, 32);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(ToColorRef(t.entry[i]), ToColorRef(start.entry[i])) << i;
  RotateColourTable(t, 256);
  RotateColourTable(t, 0);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(ToColorRef(t.entry[i]), ToColorRef(start.entry[i])) << i;
  // Out of range turns by n mod 256 instead of reading past the table.
  RotateColourTable(t, -1);
  EXPECT_EQ(ToColorRef(t.entry[0]), ToColorRef(start.entry[255]));
}

class FakeHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return now; }
  void WriteSetInfo(const std::string& text) override { setInfo.push_back(text); }
  int64_t now = 1000;
  std::vector<std::string> setInfo;
};

bool SameRegion(const Region& a, const Region& b) {
  return a.xmax == b.xmax && a.xmin == b.xmin && a.ymax == b.ymax && a.ymin == b.ymin;
}

bool IsRandomRegion(const Region& m) {
  auto hundredths = [](double v, int lo, int hi, double unit) {
    for (int i = lo; i <= hi; ++i)
      if (double(i) * unit == v) return true;
    return false;
  };
  return hundredths(m.xmax, 0, 149, 0.01) && hundredths(m.xmin, 0, 224, -0.01) &&
         hundredths(m.ymax, 0, 129, 0.01) && hundredths(m.ymin, 0, 129, -0.01);
}

TEST(FracRegions, SequenceModeWalksEveryPresetThenTwoRandomRegions) {
  SaverState s = {};
  SaverSettings settings = {};
  FakeHost host;
  for (int i = 0; i < 23; ++i) {
    SCOPED_TRACE("presetIndex " + std::to_string(i));
    ASSERT_EQ(s.presetIndex, i);
    s.newImage = 1;
    host.now += 1;
    ChooseCorners(s, settings, host);
    if (i < kPresetCount)
      EXPECT_TRUE(SameRegion(s.mset, kPresets[i]));
    else
      EXPECT_TRUE(IsRandomRegion(s.mset));
    for (double step : {s.cornerSteps.dxmax, s.cornerSteps.dxmin, s.cornerSteps.dymax, s.cornerSteps.dymin})
      EXPECT_TRUE(step == 0.1 || step == -0.1) << step;
  }
  EXPECT_EQ(s.presetIndex, 0);  // 21 became 22, and 22 wrapped to 0
  EXPECT_EQ(host.setInfo.size(), 23u);
}

TEST(FracRegions, PresetsAreTheNearestDoubles) {
  EXPECT_EQ(kPresets[0].xmax, 0.0702470541);
  EXPECT_EQ(kPresets[1].xmin, -2.05);
  EXPECT_EQ(kPresets[13].ymin, -0.11905605);
  EXPECT_EQ(kPresets[15].xmax, 16.52572);
  EXPECT_EQ(kPresets[16].ymax, 0.002871058);
  EXPECT_EQ(kPresets[19].xmin, -0.0802470541);
  EXPECT_EQ(kPresets[19].ymin, 0.81368649);
}

TEST(FracRegions, RandomModeDrawsZeroTo21AndTheSameSecondRepeats) {
  SaverSettings settings = {};
  settings.randCorners = 1;
  FakeHost host;
  std::set<int> seen;
  int randomRegions = 0;
  for (int second = 0; second < 2000; ++second) {
    SaverState s = {};
    s.newImage = 1;
    host.now = second;
    ChooseCorners(s, settings, host);
    ASSERT_GE(s.presetIndex, 0);
    ASSERT_LE(s.presetIndex, 21);
    seen.insert(s.presetIndex);
    if (s.presetIndex >= 20) {
      ++randomRegions;
      EXPECT_TRUE(IsRandomRegion(s.mset));
    } else {
      EXPECT_TRUE(SameRegion(s.mset, kPresets[s.presetIndex]));
    }
    SaverState again = {};
    again.newImage = 1;
    ChooseCorners(again, settings, host);
    EXPECT_EQ(again.presetIndex, s.presetIndex);
    EXPECT_TRUE(SameRegion(again.mset, s.mset));
    EXPECT_EQ(again.cornerSteps.dxmax, s.cornerSteps.dxmax);
    EXPECT_EQ(again.cornerSteps.dymin, s.cornerSteps.dymin);
  }
  EXPECT_EQ(seen.size(), 22u);
  EXPECT_GT(randomRegions, 0);
}

TEST(FracRegions, MovesReverseAtTheirLimitsBeforeMoving) {
  SaverSettings settings = {};
  FakeHost host;
  SaverState s = {};
  s.presetIndex = 7;
  s.mset = {1.55, -2.3, 1.3, -1.35};
  s.cornerSteps = {0.1, -0.1, 0.1, -0.1};
  ChooseCorners(s, settings, host);
  EXPECT_EQ(s.cornerSteps.dxmax, -0.1);
  EXPECT_EQ(s.mset.xmax, 1.55 - 0.1);
  EXPECT_EQ(s.cornerSteps.dxmin, 0.1);
  EXPECT_EQ(s.mset.xmin, -2.3 + 0.1);
  EXPECT_EQ(s.cornerSteps.dymax, -0.1);
  EXPECT_EQ(s.cornerSteps.dymin, 0.1);
  EXPECT_EQ(s.presetIndex, 7);  // a move is not a new region
  EXPECT_TRUE(host.setInfo.empty());

  // Steps already pointing inward are kept, and nothing stops an edge
  // moving inward: the edges may cross.
  s.mset = {1.55, -2.3, -5.0, 5.0};
  s.cornerSteps = {-0.1, 0.1, -0.1, 0.1};
  ChooseCorners(s, settings, host);
  EXPECT_EQ(s.cornerSteps.dxmax, -0.1);
  EXPECT_EQ(s.mset.xmax, 1.55 - 0.1);
  EXPECT_EQ(s.cornerSteps.dxmin, 0.1);
  EXPECT_EQ(s.mset.xmin, -2.3 + 0.1);
  EXPECT_EQ(s.mset.ymax, -5.0 - 0.1);
  EXPECT_EQ(s.mset.ymin, 5.0 + 0.1);
}

TEST(FracRegions, SetInfoRecordsTheNewRegionWithSixDecimals) {
  SaverState s = {};
  s.presetIndex = 1;
  s.newImage = 1;
  SaverSettings settings = {};
  FakeHost host;
  ChooseCorners(s, settings, host);
  ASSERT_EQ(host.setInfo.size(), 1u);
  EXPECT_EQ(host.setInfo[0], "mset.xmax=0.070000,mset.xmin=-2.050000,mset.ymax=1.300000,mset.ymin=-1.300000");
  // Edges that moved far away still give the whole text.
  const std::string wide = FormatSetInfo({1e300, -1e300, 0, 0});
  EXPECT_EQ(wide.rfind("mset.xmax=1000000", 0), 0u);
  EXPECT_GT(wide.size(), 600u);
  EXPECT_EQ(wide.substr(wide.size() - 19), ",mset.ymin=0.000000");
}

}  // namespace
