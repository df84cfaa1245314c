#include "velora/playback/core/movie_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace velora {
namespace {

TEST(SaverRandom, SameSequenceEveryRun) {
  SaverRandom r;
  EXPECT_EQ(r.Next(), 41);
  EXPECT_EQ(r.Next(), 18467);
  EXPECT_EQ(r.Next(), 6334);
  SaverRandom again;
  EXPECT_EQ(again.Next(), 41);
  for (int i = 0; i < 100000; ++i) {
    int v = r.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

Placement Centred(int nw, int nh, int zoom, int w = 640, int h = 480) {
  SaverRandom unused;
  return ComputeMovieRect(nw, nh, w, h, zoom, 1, unused);
}

TEST(ComputeMovieRect, CentredByZoom) {
  Placement p = Centred(320, 240, 1);
  EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.width, p.height}), (std::array<int, 4>{160, 120, 320, 240}));
  p = Centred(320, 240, 0);
  EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.width, p.height}), (std::array<int, 4>{240, 176, 160, 120}));
  p = Centred(320, 240, 2);
  EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.width, p.height}), (std::array<int, 4>{0, 0, 640, 480}));
  // Any other zoom value is the movie's own size.
  p = Centred(320, 240, 7);
  EXPECT_EQ(p.width, 320);
  p = Centred(320, 240, -1);
  EXPECT_EQ(p.width, 320);
}

TEST(ComputeMovieRect, HalfSizeDropsFractions) {
  Placement p = Centred(161, 121, 0);
  EXPECT_EQ(p.width, 80);
  EXPECT_EQ(p.height, 60);
  // (640-80)/2 = 280, (480-60)/2 = 210 -> 208.
  EXPECT_EQ(p.x, 280);
  EXPECT_EQ(p.y, 208);
}

TEST(ComputeMovieRect, CentredLargerThanTheScreenStartsAtTheEdge) {
  Placement p = Centred(700, 200, 1);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 136);  // (480-200)/2 = 140 -> 136
  EXPECT_EQ(p.width, 700);
  p = Centred(400, 400, 2);  // 800 x 800
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
}

TEST(ComputeMovieRect, RandomPlacementFollowsTheDraws) {
  SaverRandom r;
  Placement p = ComputeMovieRect(320, 240, 640, 480, 1, 0, r);
  EXPECT_EQ(p.x, 40);   // 41 mod 320 = 41 -> 40
  EXPECT_EQ(p.y, 224);  // 18467 mod 240 = 227 -> 224
}

// A movie 700 pixels wide on a 640-pixel screen covers the screen's width:
// its left edge lies between -60 and 0 (moved towards 0 to a multiple of 8),
// from the same two draws, so the places of later movies do not change.
TEST(ComputeMovieRect, RandomPlacementOfAWideMovieCoversTheScreen) {
  SaverRandom r, draws;
  bool leftOfTheScreen = false;
  for (int i = 0; i < 2000; ++i) {
    const int r1 = draws.Next(), r2 = draws.Next();
    Placement p = ComputeMovieRect(700, 100, 640, 480, 1, 0, r);
    ASSERT_EQ(p.x, -(r1 % 61 - r1 % 61 % 8));
    ASSERT_LE(p.x + p.width, 700);
    ASSERT_GE(p.x + p.width, 640);
    ASSERT_EQ(p.y, r2 % 380 - r2 % 380 % 8);
    leftOfTheScreen |= p.x < 0;
  }
  EXPECT_TRUE(leftOfTheScreen);
  // A 4K clip on an 800 x 600 screen covers it both ways.
  for (int i = 0; i < 200; ++i) {
    Placement p = ComputeMovieRect(3840, 2160, 800, 600, 1, 0, r);
    ASSERT_TRUE(p.x <= 0 && p.x + p.width >= 800 && p.y <= 0 && p.y + p.height >= 600) << p.x << "," << p.y;
  }
}

TEST(ComputeMovieRect, FitToScreenKeepsTheAspectAndFillsOneDirection) {
  // The corner before it is lowered to a multiple of 8.
  const struct {
    int nw, nh, center, x, y, width, height;
  } cases[] = {
      {3840, 2160, 1, 0, 60, 640, 360},    // wide: the full width, centred down
      {1080, 1920, 1, 185, 0, 270, 480},   // portrait: the full height, centred across
      {320, 240, 1, 0, 0, 640, 480},       // the screen's aspect: the whole screen
      {160, 120, 0, 0, 0, 640, 480},       // smaller ones grow; no room, so no place to draw
      {0, 0, 1, 320, 240, 0, 0},           // no picture
  };
  for (const auto& c : cases) {
    SaverRandom r;
    Placement p = ComputeMovieRect(c.nw, c.nh, 640, 480, 2, c.center, r, true);
    EXPECT_EQ(p.width, c.width) << c.nw << "x" << c.nh;
    EXPECT_EQ(p.height, c.height) << c.nw << "x" << c.nh;
    EXPECT_EQ(p.x, c.x - c.x % 8) << c.nw << "x" << c.nh;
    EXPECT_EQ(p.y, c.y - c.y % 8) << c.nw << "x" << c.nh;
  }
}

TEST(ComputeMovieRect, RandomPlacementWithNoRoomIsZeroAndStillDrawsTwice) {
  SaverRandom r;
  Placement p = ComputeMovieRect(320, 240, 640, 480, 2, 0, r);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  EXPECT_EQ(r.Next(), 6334);  // the third draw of the sequence
}

TEST(ComputeMovieRect, SoundOnlyMovieHasNoSize) {
  SaverRandom r;
  Placement p = ComputeMovieRect(0, 0, 640, 480, 1, 1, r);
  EXPECT_EQ(p.width, 0);
  EXPECT_EQ(p.x, 320);
  EXPECT_EQ(p.y, 240);
}

TEST(PlaceHint, UsesTwoDrawsWithoutAlignment) {
  SaverRandom r;
  Placement p = PlaceHint(300, 16, 640, 480, r);
  EXPECT_EQ(p.x, 41);
  EXPECT_EQ(p.y, 18467 % 464);
  Placement full = PlaceHint(640, 480, 640, 480, r);
  EXPECT_EQ(full.x, 0);
  EXPECT_EQ(full.y, 0);
}

TEST(ComputeMovieRect, SizesAMovieDeviceClaimsNeverOverflow) {
  // Native size, screen size, zoom, centred -> the rectangle.
  struct Case {
    int nw, nh, sw, sh, zoom, center;
    std::array<int, 4> xywh;
  } cases[] = {
      {1 << 30, 1 << 30, 640, 480, 2, 1, {0, 0, kMaxMovieSide, kMaxMovieSide}},
      // Larger than the screen: the corner left of and above it, from the same draws.
      {INT_MAX, INT_MAX, 640, 480, 2, 0, {-40, -18464, kMaxMovieSide, kMaxMovieSide}},
      {INT_MIN, INT_MIN, 640, 480, 1, 1, {320, 240, 0, 0}},
      {INT_MIN, 100, 640, 480, 0, 1, {320, 208, 0, 50}},
      {320, 240, INT_MIN, INT_MAX, 1, 1, {0, (kMaxMovieSide - 240) / 2, 320, 240}},
      {320, 240, INT_MAX, INT_MAX, 1, 0, {40, 18464, 320, 240}},
  };
  for (const Case& c : cases) {
    SaverRandom r;
    Placement p = ComputeMovieRect(c.nw, c.nh, c.sw, c.sh, c.zoom, c.center, r);
    EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.width, p.height}), c.xywh) << c.nw << " x " << c.nh;
  }
}

TEST(PlaceHint, ExtremeSizesStayNonNegative) {
  for (const auto& [tw, th, sw, sh] : {std::array<int, 4>{INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                                      std::array<int, 4>{INT_MIN, INT_MIN, INT_MAX, INT_MAX}}) {
    SaverRandom r;
    Placement p = PlaceHint(tw, th, sw, sh, r);
    EXPECT_EQ(p.x, 41);
    EXPECT_EQ(p.y, 18467);
    EXPECT_GE(p.width, 0);
  }
}

TEST(NextMovieIndex, WrapsToTheFirst) {
  EXPECT_EQ(NextMovieIndex(0, 3), 1);
  EXPECT_EQ(NextMovieIndex(2, 3), 0);
  EXPECT_EQ(NextMovieIndex(0, 1), 0);
  EXPECT_EQ(NextMovieIndex(7, 3), 0);
  // Always an index of the list, whatever it is given.
  EXPECT_EQ(NextMovieIndex(INT_MAX, INT_MAX), 0);
  EXPECT_EQ(NextMovieIndex(INT_MAX - 2, INT_MAX), INT_MAX - 1);
  EXPECT_EQ(NextMovieIndex(-5, 3), 0);
  EXPECT_EQ(NextMovieIndex(0, INT_MIN), 0);
}

}  // namespace
}  // namespace velora
