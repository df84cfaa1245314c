#include "fracsave/core/mandelbrot.h"

#include <algorithm>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"

namespace fracsave {

IterationLimits LimitsFor(const SaverSettings& settings) {
  // threshold = limit / 8, mask = limit / 2 - 1
  if (settings.fastGen) return IterationLimits{64, 8.0, 31};
  return IterationLimits{512, 64.0, 255};
}

namespace {

// Black from pixel pair (column, row) of a painted frame on: everything its
// columns did not set, and anything the workers put ahead of it.
void BlackOutFrom(PixelTarget& target, int column, int row, int h2) {
  const int width = target.bitsWidth, height = target.bitsHeight;
  if (column >= width) return;
  for (int r = row; r <= h2; ++r) {
    if (r < height) target.bits[size_t(r) * size_t(width) + size_t(column)] = 0;
    if (height - r >= 0 && height - r < height) target.bits[size_t(height - r) * size_t(width) + size_t(column)] = 0;
  }
  for (int y = 0; y < height; ++y)
    std::fill_n(target.bits + size_t(y) * size_t(width) + size_t(column) + 1, size_t(width - column - 1), 0u);
}

}  // namespace

void DrawFrame(SaverState& state, const SaverSettings& settings, RegionHost& host,
               FrameScreen& screen, int width, int height) {
  // An abort that came before the frame skips it entirely.
  if (state.abortFrame || width > kMaxFrameSide || height > kMaxFrameSide) return;
  if (state.frameCount == 0) screen.FillBlack(width, height);

  const bool offscreen = !settings.showGen;
  PixelTarget& target = screen.BeginTarget(offscreen, width, height);
  if (offscreen && state.frameCount == 0) screen.ShowPreparingNotice();

  const int h2 = height / 2;
  const IterationLimits lim = LimitsFor(settings);
  if (settings.alterCorners || state.newImage) ChooseCorners(state, settings, host);

  // Handlers run by the pump may choose new corners; this frame keeps its own.
  const Region m = state.mset;
  const double dx = (m.xmax - m.xmin) / width;
  const double dy = (m.ymax - m.ymin) / height;
  state.abortFrame = 0;

  // A bitmap in memory is painted by the frame's workers, colours and all:
  // the table as it stands now, turned by the column's number with ShiftPal
  // (nothing else changes it while a frame runs). Its old picture is not
  // cleared: a whole frame sets every pixel, and one cut short is blacked
  // out from where it stopped.
  const bool painted = target.bits != nullptr && target.bitsWidth == width && target.bitsHeight == height;
  uint32_t palette[kColourCount];
  for (int i = 0; i < kColourCount; ++i) {
    const uint32_t colour = ToColorRef(state.colourTable.entry[i]);
    palette[i] = target.dibOrder ? ((colour & 0xffu) << 16) | (colour & 0xff00u) | (colour >> 16) : colour;
  }
  const ColumnPainter painter{target.bits, height, palette, lim.mask, settings.shiftPal != 0};

  const int rows = h2 >= 0 ? h2 + 1 : 0;
  const bool pump = screen.HasPump();
  const bool pumpPerColumn = pump && screen.PumpIsPaced();
  int stopColumn = width, stopRow = 0;  // the first pixel pair not drawn
  {
    ColumnFeed feed(ColumnGrid{m.xmin, dx, m.ymax, dy, std::max(width, 0), rows, lim.limit, lim.threshold},
                    painted ? &painter : nullptr);
    for (int c = 0; c < width; ++c) {
      if (state.abortFrame) {
        stopColumn = c;
        break;
      }
      const int32_t* counts = feed.Column(c);
      int r = 0;
      if (painted) {
        // The pixels are in place; the pump still runs after every pair, or
        // after the column's first when it is paced.
        if (pumpPerColumn && h2 >= 0) {
          screen.Pump();
          r = state.abortFrame ? 1 : h2 + 1;
        }
        if (!pump) r = h2 + 1;
        for (; r <= h2 && !state.abortFrame; ++r) screen.Pump();
      } else {
        for (; r <= h2 && !state.abortFrame; ++r) {
          const int32_t k = counts[size_t(r)];
          const uint32_t colour = k < 0 ? 0u : ToColorRef(state.colourTable.entry[k & lim.mask]);
          target.SetPixel(c, r, colour);
          // Mirrored about height / 2; row 0's mirror is row height, which is clipped.
          target.SetPixel(c, height - r, colour);
          if (pump) screen.Pump();
        }
      }
      if (settings.shiftPal) RotateColourTable(state.colourTable, 1);
      if (r <= h2) {
        stopColumn = c;
        stopRow = r;
        break;
      }
    }
  }
  if (painted) BlackOutFrom(target, stopColumn, stopRow, h2);

  // Copied also after an abort, so the partial image is shown.
  screen.EndTarget(offscreen, width, height);
  state.newImage = 0;
  state.frameCount += 1;
}

SurfaceScreen::SurfaceScreen(int width, int height)
    : screen(width, height), offscreen_(0, 0) {
  target_.Attach(&screen);
  target_.bits = nullptr;
}

void SurfaceScreen::FillBlack(int width, int height) {
  ++blackFills;
  const int w = std::min(width, screen.width), h = std::min(height, screen.height);
  for (int y = 0; y < h; ++y) std::fill_n(&screen.pixels[size_t(y) * size_t(screen.width)], size_t(std::max(w, 0)), 0u);
}

PixelTarget& SurfaceScreen::BeginTarget(bool offscreen, int width, int height) {
  if (offscreen) {
    // Kept from one frame to the next of the same size, as on the screen
    // side. A new one starts with a colour no frame sets, so that a pixel a
    // frame leaves unset shows.
    if (offscreen_.width != width || offscreen_.height != height) {
      offscreen_ = Surface(width, height);
      std::fill(offscreen_.pixels.begin(), offscreen_.pixels.end(), kUnsetPixel);
    }
    target_.Attach(&offscreen_);
  } else {
    // Straight on the screen: pixel by pixel, as they are set.
    target_.Attach(&screen);
    target_.bits = nullptr;
  }
  return target_;
}

void SurfaceScreen::EndTarget(bool offscreen, int width, int height) {
  if (!offscreen) return;
  ++copies;
  const int w = std::min({width, offscreen_.width, screen.width});
  const int h = std::min({height, offscreen_.height, screen.height});
  for (int y = 0; y < h; ++y)
    std::copy_n(&offscreen_.pixels[size_t(y) * size_t(offscreen_.width)], size_t(std::max(w, 0)),
                &screen.pixels[size_t(y) * size_t(screen.width)]);
  target_.Attach(&screen);
  target_.bits = nullptr;
}

}  // namespace fracsave
