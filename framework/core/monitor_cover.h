#pragma once
// How a saver fills a desktop of several monitors: one window over the virtual
// screen, so that no monitor shows the desktop; the picture on the primary
// monitor, where it stands on a single one; the rest of the window black.
//
// Rect is any rectangle with left, top, right and bottom, the right and bottom
// just outside: the programs use the system's own, so that velora.scr carries
// no conversions; Box is one for code without the system's.
#include <cstdint>

namespace fw {

struct Box {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

template <typename Rect>
struct MonitorCover {
  Rect window{};   // screen coordinates: the virtual screen
  Rect primary{};  // window coordinates: where the picture goes
  // Window coordinates, what stays black: the bands above and below the
  // primary across the whole window, then those left and right of it at its
  // height. None on a single monitor; the whole window if no primary is known.
  Rect black[4]{};
  int blackCount = 0;
};

// Both rectangles in screen coordinates; the primary lies within the virtual
// screen. Out of line, so that a program holds it once however often it asks.
template <typename Rect>
[[gnu::noinline]] MonitorCover<Rect> CoverMonitors(const Rect& virtualScreen, const Rect& primary) {
  MonitorCover<Rect> cover;
  cover.window = virtualScreen;
  const auto dx = virtualScreen.left, dy = virtualScreen.top;
  const Rect p{primary.left - dx, primary.top - dy, primary.right - dx, primary.bottom - dy};
  cover.primary = p;
  const auto w = virtualScreen.right - dx, h = virtualScreen.bottom - dy;
  // With no primary (an empty one) these still add up to the whole window.
  const Rect bands[] = {
      {0, 0, w, p.top}, {0, p.bottom, w, h}, {0, p.top, p.left, p.bottom}, {p.right, p.top, w, p.bottom}};
  for (const Rect& band : bands)
    if (band.right > band.left && band.bottom > band.top) cover.black[cover.blackCount++] = band;
  return cover;
}

}  // namespace fw
