#pragma once
// Which part of a decoded frame is the movie's picture, and how it is shown:
// decoders pad frames (1080 lines coded as 1088), may hand rows bottom-up,
// give pixels that are not square, and phones store portrait movies turned
// on their side. The numbers come from the decoder and are not trusted.
#include <cstddef>
#include <cstdint>

namespace velora {

// What the decoder says of its frames: 32-bit pixels, or NV12 (`planar`: a
// byte of brightness a pixel, then a plane of colour at half the height).
struct VideoFormat {
  int width = 0, height = 0;  // the frame in the buffer, padding included
  // Bytes from one row to the next in memory; negative when the rows run
  // bottom-up (32-bit pixels only), 0 when not given (then rows of width
  // pixels, top-down; NV12's rounded up to even).
  int stride = 0;
  // The picture within the frame; none given (0 wide): the whole frame.
  int apertureX = 0, apertureY = 0, apertureWidth = 0, apertureHeight = 0;
  unsigned aspectX = 1, aspectY = 1;  // a pixel's width to its height
  unsigned rotation = 0;              // degrees the picture was turned counter-clockwise when stored
  bool planar = false;
};

// How a frame is shown. Nothing is shown when width is 0.
struct VideoGeometry {
  int width = 0, height = 0;                // the picture as seen: upright, at its pixels' shape
  int pictureWidth = 0, pictureHeight = 0;  // its pixels in the buffer, as stored
  int left = 0;                             // its first column
  int firstRow = 0;                         // the buffer row, in memory order, where its rows begin
  bool bottomUp = false;                    // whether its rows run upwards in memory
  int rowPixels = 0;                        // pixels from one buffer row to the next (NV12: bytes)
  int turns = 0;                            // quarter turns clockwise that set it upright
  std::size_t pixelsNeeded = 0;             // a shorter buffer cannot hold the picture (32-bit pixels)
  bool planar = false;                      // NV12, `frameRows` rows high
  int frameRows = 0;
  std::size_t bytesNeeded = 0;              // a shorter buffer cannot hold the picture
};

// Frames larger than this on either side are not shown (8K is 7680 wide).
constexpr int kMaxVideoSide = 16384;

VideoGeometry ComputeVideoGeometry(const VideoFormat& format);

// The picture copied out of a frame (at least pixelsNeeded pixels) into
// `upright` (pictureWidth times pictureHeight pixels), turned upright, rows
// top to bottom: pictureHeight wide after an odd number of turns.
void TurnPicture(const std::uint32_t* frame, const VideoGeometry& geometry, std::uint32_t* upright);

}  // namespace velora
