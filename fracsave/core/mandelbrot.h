// The Mandelbrot generator: the whole frame, drawn through a small screen
// interface so that the same steps run on a GDI device context or on a plain
// pixel surface.
#pragma once

#include <cstdint>
#include <vector>

#include "fracsave/core/point_iteration.h"
#include "fracsave/core/regions.h"
#include "fracsave/core/saver_state.h"

namespace fracsave {

// FastGen picks fewer iterations, a smaller escape radius and fewer colours.
struct IterationLimits {
  int limit;         // iterations at most
  double threshold;  // escape when x*x + y*y passes it
  int mask;          // colour index = iterations AND mask
};
IterationLimits LimitsFor(const SaverSettings& settings);

// Where a frame's pixels go. Colours are COLORREF values (0x00BBGGRR).
class PixelTarget {
 public:
  virtual ~PixelTarget() = default;
  // Writes outside the target (the mirror of row 0 lands on row height) are dropped.
  virtual void SetPixel(int x, int y, uint32_t colour) = 0;

  // A target held in memory may also offer its pixels for direct writes:
  // row-major, width x height, each 0x00RRGGBB when dibOrder, else COLORREF.
  // The frame then writes them itself, with the same clipping as SetPixel.
  uint32_t* bits = nullptr;
  int bitsWidth = 0;
  int bitsHeight = 0;
  bool dibOrder = false;
};

// The screen side of a frame.
class FrameScreen {
 public:
  virtual ~FrameScreen() = default;
  virtual void FillBlack(int width, int height) = 0;
  // The screen itself (ShowGen) or an off-screen bitmap. An off-screen one
  // that offers its pixels is width x height; what it holds at first is the
  // screen's (the last frame's picture, say): the frame sets every pixel.
  virtual PixelTarget& BeginTarget(bool offscreen, int width, int height) = 0;
  virtual void ShowPreparingNotice() = 0;
  // Copies the off-screen bitmap to the screen and frees it; nothing for ShowGen.
  virtual void EndTarget(bool offscreen, int width, int height) = 0;
  // Called after every pixel pair when true; message handlers run there and
  // may set abortFrame.
  virtual bool HasPump() const = 0;
  virtual void Pump() = 0;
  // True when Pump looks at the queue at most once per millisecond: a frame
  // drawn off-screen, whose pixel pairs take no time on this thread, then
  // pumps once per column (after its first pair) instead.
  virtual bool PumpIsPaced() const { return false; }
};

// Frames wider or higher than this are not drawn (nothing is painted and no
// counter changes): no screen is that large, and the frame's staging memory
// grows with its height. Sizes of 0 or less draw no pixel.
constexpr int kMaxFrameSide = 1 << 15;

// One whole frame of the saver over state.mset, as DrawFractalFrame paints it.
void DrawFrame(SaverState& state, const SaverSettings& settings, RegionHost& host,
               FrameScreen& screen, int width, int height);

// A plain width x height pixel surface, black at first. A size with a side of
// 0 or less, or of more than kMaxSurfacePixels pixels, gives an empty 0 x 0
// surface, on which every write is dropped.
struct Surface {
  static constexpr uint64_t kMaxSurfacePixels = uint64_t(1) << 28;
  static bool Holds(int w, int h) {
    return w > 0 && h > 0 && uint64_t(w) * uint64_t(h) <= kMaxSurfacePixels;
  }
  Surface(int w, int h)
      : width(Holds(w, h) ? w : 0), height(Holds(w, h) ? h : 0), pixels(size_t(width) * size_t(height), 0u) {}
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  void Set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = c;
  }
  int width;
  int height;
  std::vector<uint32_t> pixels;

  // 64-bit FNV-1a over the bytes of every pixel, row by row: a fingerprint of
  // a picture that any change of arithmetic alters.
  uint64_t Checksum() const {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t p : pixels)
      for (int i = 0; i < 4; ++i) {
        h ^= (p >> (8 * i)) & 0xffu;
        h *= 1099511628211ull;
      }
    return h;
  }
};

// FrameScreen on memory surfaces: the screen is a Surface, the off-screen
// bitmap another. Used by the host renderer and the tests.
class SurfaceScreen : public FrameScreen {
 public:
  SurfaceScreen(int width, int height);
  void FillBlack(int width, int height) override;
  PixelTarget& BeginTarget(bool offscreen, int width, int height) override;
  void ShowPreparingNotice() override { ++noticeCount; }
  void EndTarget(bool offscreen, int width, int height) override;
  bool HasPump() const override { return pump != nullptr; }
  void Pump() override { pump(pumpContext); }
  bool PumpIsPaced() const override { return pumpPaced; }

  // What a new off-screen surface holds: not a colour (those leave the top byte 0).
  static constexpr uint32_t kUnsetPixel = 0x01020304u;

  Surface screen;
  int noticeCount = 0;
  int blackFills = 0;
  int copies = 0;
  void (*pump)(void* context) = nullptr;
  void* pumpContext = nullptr;
  bool pumpPaced = false;

 private:
  class Target : public PixelTarget {
   public:
    void Attach(Surface* s) {
      surface = s;
      bits = s->pixels.empty() ? nullptr : s->pixels.data();
      bitsWidth = s->width;
      bitsHeight = s->height;
    }
    void SetPixel(int x, int y, uint32_t colour) override { surface->Set(x, y, colour); }
    Surface* surface = nullptr;
  };
  Surface offscreen_;
  Target target_;
};

}  // namespace fracsave
