#include "velora/playback/core/picture_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace velora {
namespace {

// An NV12 frame of one colour: brightness y, colour differences u and v.
std::vector<std::uint8_t> Flat(int stride, int rows, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(stride) * rows, y);
  for (int i = 0; i < stride * ((rows + 1) / 2); i += 2) {
    frame.push_back(u);
    frame.push_back(v);
  }
  return frame;
}

// Studio-range colours as ffmpeg encodes them, back to the screen's, give or
// take the rounding of the encoder.
TEST(PictureConversion, StudioRangeColoursComeBackByEitherMatrix) {
  const struct {
    std::uint8_t y, u, v;
    ColourMatrix matrix;
    std::uint32_t rgb;
  } cases[] = {
      {16, 128, 128, ColourMatrix::kBt601, 0x000000}, {235, 128, 128, ColourMatrix::kBt601, 0xffffff},
      {145, 54, 34, ColourMatrix::kBt601, 0x00ff00},  {81, 90, 240, ColourMatrix::kBt601, 0xff0000},
      {41, 240, 110, ColourMatrix::kBt601, 0x0000ff}, {173, 42, 26, ColourMatrix::kBt709, 0x00ff00},
      {63, 102, 240, ColourMatrix::kBt709, 0xff0000}, {32, 240, 118, ColourMatrix::kBt709, 0x0000ff},
      {0, 128, 128, ColourMatrix::kBt601, 0x000000},  {255, 128, 128, ColourMatrix::kBt709, 0xffffff},  // held
  };
  for (const auto& c : cases) {
    const auto frame = Flat(4, 2, c.y, c.u, c.v);
    std::uint32_t out[4];
    ConvertNv12(frame.data(), 4, 2, 0, 0, 2, 2, c.matrix, out);
    for (int shift : {0, 8, 16}) {
      const int got = out[3] >> shift & 0xff, want = c.rgb >> shift & 0xff;
      EXPECT_NEAR(got, want, 3) << int(c.y) << "," << int(c.u) << "," << int(c.v) << " channel " << shift / 8;
    }
  }
}

// The picture is cut out of a padded frame: odd places and sizes take the
// colour of the 2x2 block each pixel lies in, and nothing outside is read.
TEST(PictureConversion, AnApertureAtAnOddPlaceTakesEachPixelsOwnBlock) {
  const int stride = 8, rows = 6;
  std::vector<std::uint8_t> frame(stride * rows, 235);  // white brightness
  // Colour blocks: red-ish difference in the block of columns 2-3, rows 2-3.
  for (int row = 0; row < rows / 2; ++row)
    for (int x = 0; x < stride; x += 2) {
      const bool marked = row == 1 && x == 2;
      frame.push_back(128);
      frame.push_back(marked ? 240 : 128);
    }
  std::vector<std::uint32_t> out(3 * 3, 0xdeadbeef);
  ConvertNv12(frame.data(), stride, rows, 1, 1, 3, 3, ColourMatrix::kBt601, out.data());
  // Rows 1-3, columns 1-3: the marked block is columns 2-3 of rows 2-3.
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      const bool marked = row >= 1 && column >= 1;
      const std::uint32_t pixel = out[row * 3 + column];
      EXPECT_EQ(pixel == 0xffffff, !marked) << row << "," << column << " " << std::hex << pixel;
    }
}

// The rule every pixel follows, one at a time: the fast path that takes
// eight at once must give exactly the same, at any place and width.
std::uint32_t ReferencePixel(int y, int u, int v, ColourMatrix matrix) {
  const bool hd = matrix == ColourMatrix::kBt709;
  const int rv = hd ? 459 : 409, gu = hd ? 55 : 100, gv = hd ? 136 : 208, bu = hd ? 541 : 516;
  auto clamp = [](int value) { return static_cast<std::uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value); };
  const int luma = 298 * (y - 16) + 128;
  u -= 128;
  v -= 128;
  return clamp((luma + bu * u) >> 8) | clamp((luma - gu * u - gv * v) >> 8) << 8 | clamp((luma + rv * v) >> 8) << 16;
}

TEST(PictureConversion, EveryPixelFollowsTheRuleWhateverItsPlaceAndWidth) {
  const int stride = 48, rows = 6;
  std::vector<std::uint8_t> frame(stride * rows * 3 / 2);
  std::uint32_t seed = 12345;
  for (auto& byte : frame) byte = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  const std::uint8_t* colour = frame.data() + stride * rows;
  for (ColourMatrix matrix : {ColourMatrix::kBt601, ColourMatrix::kBt709})
    for (int left : {0, 1, 2, 3})
      for (int width : {1, 7, 8, 9, 16, 17, 31, 44}) {
        const int top = left % 2, height = rows - top;
        std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height);
        ConvertNv12(frame.data(), stride, rows, left, top, width, height, matrix, out.data());
        for (int row = 0; row < height; ++row)
          for (int column = 0; column < width; ++column) {
            const int x = left + column, r = top + row;
            const std::uint32_t want = ReferencePixel(frame[r * stride + x], colour[r / 2 * stride + (x & ~1)],
                                                      colour[r / 2 * stride + (x | 1)], matrix);
            ASSERT_EQ(out[row * width + column], want)
                << "left " << left << " width " << width << " at " << column << "," << row;
          }
      }
}

}  // namespace
}  // namespace velora
