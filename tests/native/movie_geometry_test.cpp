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

TEST(ComputeMovieRect, RandomPlacementOfAWideMovieStaysInItsRange) {
  SaverRandom r;
  for (int i = 0; i < 2000; ++i) {
    Placement p = ComputeMovieRect(700, 100, 640, 480, 1, 0, r);
    ASSERT_GE(p.x, 0);
    ASSERT_LE(p.x, 56);
    ASSERT_EQ(p.x % 8, 0);
    ASSERT_LT(p.y, 380);
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
      {INT_MAX, INT_MAX, 640, 480, 2, 0, {40, 18464, kMaxMovieSide, kMaxMovieSide}},
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
