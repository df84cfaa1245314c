#include "velora/playback/core/video_geometry.h"

namespace velora {

VideoGeometry ComputeVideoGeometry(const VideoFormat& f) {
  VideoGeometry g;
  const unsigned width = f.width, height = f.height;
  // A pixel's bytes in a row, and a row's least (NV12's colour comes in pairs).
  const unsigned pixelBytes = f.planar ? 1 : 4, leastRow = f.planar ? (width + 1) & ~1u : width * 4;
  // Stride 0: the least rows. Unsigned, the most negative stride is merely too large.
  const unsigned rowBytes = f.stride < 0 ? 0u - f.stride : f.stride ? f.stride : leastRow;
  if (width - 1 >= kMaxVideoSide || height - 1 >= kMaxVideoSide || rowBytes % (f.planar ? 2 : 4) ||
      rowBytes < leastRow || rowBytes > kMaxVideoSide * 8 || (f.planar && f.stride < 0))
    return g;
  // An aperture that does not lie inside the frame is no aperture.
  int x = f.apertureX, y = f.apertureY, w = f.apertureWidth, h = f.apertureHeight;
  if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > f.width - w || y > f.height - h) {
    x = y = 0;
    w = f.width;
    h = f.height;
  }
  g.pictureWidth = w;
  g.pictureHeight = h;
  g.left = x;
  g.bottomUp = f.stride < 0;
  // Bottom-up, the picture's top row is the last of its rows in memory.
  g.firstRow = g.bottomUp ? f.height - y - h : y;
  g.rowPixels = rowBytes / pixelBytes;
  g.planar = f.planar;
  g.frameRows = f.height;
  if (f.planar) {
    g.bytesNeeded = static_cast<std::size_t>(rowBytes) * (height + (height + 1) / 2);
  } else {
    g.pixelsNeeded = static_cast<std::size_t>(g.firstRow + h) * g.rowPixels;
    g.bytesNeeded = g.pixelsNeeded * 4;
  }
  g.turns = f.rotation == 90 ? 1 : f.rotation == 180 ? 2 : f.rotation == 270 ? 3 : 0;
  // The width follows the pixels' shape; a shape beyond 8:1 is taken for square.
  const double shape = static_cast<double>(f.aspectX) / f.aspectY;
  int shown = w;
  if (shape >= 0.125 && shape <= 8) shown = static_cast<int>(w * shape + 0.5);
  if (shown < 1) shown = 1;
  g.width = g.turns % 2 ? h : shown;
  g.height = g.turns % 2 ? shown : h;
  return g;
}

void TurnPicture(const std::uint32_t* frame, const VideoGeometry& g, std::uint32_t* upright) {
  const std::ptrdiff_t w = g.pictureWidth, h = g.pictureHeight;
  // The picture's column c of row r (from its top) is at top + r * down + c.
  const std::ptrdiff_t down = g.bottomUp ? -g.rowPixels : g.rowPixels;
  const std::uint32_t* top = frame + (g.firstRow + (g.bottomUp ? h - 1 : 0)) * std::ptrdiff_t{g.rowPixels} + g.left;
  // Where the upright picture starts in it, and its steps along a row and down a column.
  std::ptrdiff_t start = 0, across = 1, next = down, outWidth = w, outHeight = h;
  switch (g.turns) {
    case 1:  // the stored picture's bottom-left corner becomes the top-left
      start = (h - 1) * down, across = -down, next = 1, outWidth = h, outHeight = w;
      break;
    case 2:
      start = (h - 1) * down + w - 1, across = -1, next = -down;
      break;
    case 3:  // its top-right corner becomes the top-left
      start = w - 1, across = down, next = -1, outWidth = h, outHeight = w;
      break;
  }
  for (std::ptrdiff_t row = 0; row < outHeight; ++row) {
    const std::uint32_t* from = top + start + row * next;
    for (std::ptrdiff_t column = 0; column < outWidth; ++column) *upright++ = from[column * across];
  }
}

}  // namespace velora
