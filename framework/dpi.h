#pragma once
// Real pixels on screens of any density: the programs declare per-monitor DPI
// awareness, so they size what dialog units do not (bitmaps, their own
// drawing) by the DPI of the monitor a window is on.
#include <windows.h>

namespace fw {

constexpr UINT kDefaultDpi = 96;

// The DPI of the monitor the window is on (Windows 10 1607 and later), else
// the system's; a null window gives the system's.
UINT DpiOf(HWND window);

// Pixels at 96 DPI scaled to `dpi`, rounded to the nearest.
inline int ScaleToDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDefaultDpi); }

// The pictures come drawn at 100 %, 150 % and 200 %: the one for a DPI, in
// percent. Up to 120 DPI (125 %) the 100 % one, up to 168 DPI (175 %) the
// 150 % one, above that the 200 % one.
int ArtScaleFor(UINT dpi);
inline int ArtSize(int pixels, int artScale) { return MulDiv(pixels, artScale, 100); }

// Windows 10 1607's metrics for a DPI; the system's own where it lacks them.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace fw
