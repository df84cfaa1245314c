#pragma once
// Real pixels on screens of any density: the programs declare per-monitor DPI
// awareness, so they size what dialog units do not (bitmaps, their own
// drawing) by the DPI of the monitor a window is on.
#include <windows.h>

#include "framework/handles.h"

// Sent when a window moves to a monitor of another DPI (Windows 8.1 and later).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

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

// The picture at `artScale` percent of its size, each pixel repeated (no
// blending, so the pixel art stays crisp); null when it cannot be made.
UniqueBitmap ScaledBitmap(HBITMAP picture, int artScale);

// Windows 10 1607's metrics for a DPI; the system's own where it lacks them.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace fw
