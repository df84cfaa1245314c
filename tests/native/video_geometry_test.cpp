#include "velora/playback/core/video_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

namespace velora {
namespace {

TEST(VideoGeometry, WhatIsShownAndWhereItIsInTheBuffer) {
  struct Case {
    const char* what;
    VideoFormat format;
    // width, height, pictureWidth, pictureHeight, left, firstRow, bottomUp, rowPixels, turns
    std::array<int, 9> expected;
    std::size_t pixelsNeeded;
  };
  const Case cases[] = {
      {"plain", {320, 240}, {320, 240, 320, 240, 0, 0, 0, 320, 0}, 320 * 240},
      {"1080 lines coded as 1088", {1920, 1088, 7680, 0, 0, 1920, 1080},
       {1920, 1080, 1920, 1080, 0, 0, 0, 1920, 0}, 1920 * 1080},
      {"portrait padded both ways", {1088, 1360, 4352, 0, 0, 1080, 1350},
       {1080, 1350, 1080, 1350, 0, 0, 0, 1088, 0}, 1088 * 1350},
      {"bottom-up: the picture's rows end 8 rows into the buffer", {1920, 1088, -7680, 0, 0, 1920, 1080},
       {1920, 1080, 1920, 1080, 0, 8, 1, 1920, 0}, 1920 * 1088},
      {"odd sizes and an odd aperture", {321, 241, 1288, 1, 2, 319, 237},
       {319, 237, 319, 237, 1, 2, 0, 322, 0}, 322 * 239},
      {"anamorphic DVD", {720, 480, 0, 0, 0, 0, 0, 32, 27}, {853, 480, 720, 480, 0, 0, 0, 720, 0}, 720 * 480},
      {"anamorphic HD", {1440, 1080, 0, 0, 0, 0, 0, 4, 3}, {1920, 1080, 1440, 1080, 0, 0, 0, 1440, 0}, 1440 * 1080},
      {"phone, turned 90", {1920, 1088, 0, 0, 0, 1920, 1080, 1, 1, 90},
       {1080, 1920, 1920, 1080, 0, 0, 0, 1920, 1}, 1920 * 1080},
      {"turned 180", {1920, 1080, 0, 0, 0, 0, 0, 1, 1, 180}, {1920, 1080, 1920, 1080, 0, 0, 0, 1920, 2}, 1920 * 1080},
      {"turned 270, pixels not square", {720, 480, 0, 0, 0, 0, 0, 32, 27, 270},
       {480, 853, 720, 480, 0, 0, 0, 720, 3}, 720 * 480},
      // Values no decoder should give: a frame that fits, or none.
      {"no pixel shape, or an absurd one, is square", {720, 480, 0, 0, 0, 0, 0, 0, 27},
       {720, 480, 720, 480, 0, 0, 0, 720, 0}, 720 * 480},
      {"pixels 100 times wider", {720, 480, 0, 0, 0, 0, 0, 100, 1}, {720, 480, 720, 480, 0, 0, 0, 720, 0}, 720 * 480},
      {"a turn of 45 degrees", {64, 48, 0, 0, 0, 0, 0, 1, 1, 45}, {64, 48, 64, 48, 0, 0, 0, 64, 0}, 64 * 48},
      {"an aperture beyond the frame", {64, 48, 0, 8, 8, 64, 48}, {64, 48, 64, 48, 0, 0, 0, 64, 0}, 64 * 48},
      {"an aperture at a negative offset", {64, 48, 0, -8, 0, 8, 8}, {64, 48, 64, 48, 0, 0, 0, 64, 0}, 64 * 48},
      {"an aperture of INT_MAX", {64, 48, 0, 1, 1, INT_MAX, INT_MAX}, {64, 48, 64, 48, 0, 0, 0, 64, 0}, 64 * 48},
      {"no frame size", {0, 0}, {}, 0},
      {"a negative height", {64, -48}, {}, 0},
      {"too large", {kMaxVideoSide + 1, 48}, {}, 0},
      {"a stride shorter than a row", {64, 48, 128}, {}, 0},
      {"a stride of part of a pixel", {64, 48, 258}, {}, 0},
      {"the most negative stride", {64, 48, INT_MIN}, {}, 0},
  };
  for (const Case& c : cases) {
    const VideoGeometry g = ComputeVideoGeometry(c.format);
    EXPECT_EQ((std::array<int, 9>{g.width, g.height, g.pictureWidth, g.pictureHeight, g.left, g.firstRow,
                                  g.bottomUp, g.rowPixels, g.turns}),
              c.expected)
        << c.what;
    EXPECT_EQ(g.pixelsNeeded, c.pixelsNeeded) << c.what;
  }
}

// The picture    a b c    in a frame four pixels wide and four rows high, at
//                d e f    column 1 of rows 1 and 2; the buffer ends with the
// picture's last row in memory, so that a read past it is a read past the end.
// NV12 frames: a byte a pixel, the colour plane below the padded frame.
TEST(VideoGeometry, Nv12FramesAreReadByTheirBytes) {
  const struct {
    const char* what;
    VideoFormat format;
    int rowBytes;
    std::size_t bytesNeeded;
  } cases[] = {
      {"1080 lines coded as 1088", {1920, 1088, 1920, 0, 0, 1920, 1080, 1, 1, 0, true}, 1920, 1920 * (1088 + 544)},
      {"no stride, an odd width", {321, 241, 0, 0, 0, 0, 0, 1, 1, 0, true}, 322, 322 * (241 + 121)},
      {"a wider stride", {640, 480, 704, 0, 0, 0, 0, 1, 1, 0, true}, 704, 704 * 720},
      {"rows bottom-up, which NV12 has not", {640, 480, -640, 0, 0, 0, 0, 1, 1, 0, true}, 0, 0},
      {"an odd stride", {640, 480, 641, 0, 0, 0, 0, 1, 1, 0, true}, 0, 0},
      {"a stride shorter than a row", {640, 480, 320, 0, 0, 0, 0, 1, 1, 0, true}, 0, 0},
  };
  for (const auto& c : cases) {
    const VideoGeometry g = ComputeVideoGeometry(c.format);
    EXPECT_EQ(g.planar && g.width != 0, c.rowBytes != 0) << c.what;
    EXPECT_EQ(g.width ? g.rowPixels : 0, c.rowBytes) << c.what;
    EXPECT_EQ(g.bytesNeeded, c.bytesNeeded) << c.what;
  }
}

TEST(VideoGeometry, TurnPictureSetsItUprightFromEitherRowOrder) {
  struct Case {
    unsigned rotation;
    std::vector<std::uint32_t> upright;
  };
  const Case cases[] = {
      {0, {'a', 'b', 'c', 'd', 'e', 'f'}},
      {90, {'d', 'a', 'e', 'b', 'f', 'c'}},
      {180, {'f', 'e', 'd', 'c', 'b', 'a'}},
      {270, {'c', 'f', 'b', 'e', 'a', 'd'}},
  };
  for (bool bottomUp : {false, true}) {
    // Top-down, memory rows 1 and 2 are the picture's; bottom-up, rows 2 and 1.
    std::vector<std::uint32_t> frame(12, 0);
    const int top = bottomUp ? 2 : 1, bottom = bottomUp ? 1 : 2;
    for (int c = 0; c < 3; ++c) {
      frame[top * 4 + 1 + c] = 'a' + c;
      frame[bottom * 4 + 1 + c] = 'd' + c;
    }
    for (const Case& c : cases) {
      const VideoGeometry g = ComputeVideoGeometry({4, 4, bottomUp ? -16 : 16, 1, 1, 3, 2, 1, 1, c.rotation});
      ASSERT_EQ(g.pixelsNeeded, frame.size());
      std::vector<std::uint32_t> upright(6);
      TurnPicture(frame.data(), g, upright.data());
      EXPECT_EQ(upright, c.upright) << c.rotation << (bottomUp ? " bottom-up" : " top-down");
    }
  }
}

}  // namespace
}  // namespace velora
