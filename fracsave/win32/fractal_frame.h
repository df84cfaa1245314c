// The Win32 side of the picture engine: frames painted on device contexts and
// regions recorded in CONTROL.INI, all on the process-wide records.
#pragma once

#include <windows.h>

#include <string>

#include "fracsave/core/regions.h"

namespace fracsave {

// The saver's message pump, run after every pixel pair of a frame drawn for a
// window. The shell installs PumpSaverMessages here; until then frames run
// without pumping. A pump that looks at the queue at most once per
// millisecond (paced) is run where time passes: after every pixel pair drawn
// on the screen, after every column of a frame drawn off-screen.
using FramePump = int (*)(HWND window);
void SetFramePump(FramePump pump, bool paced = false);

// Time in whole seconds, and SetInfo in section "Screen Saver.Mandelbrot" of CONTROL.INI.
class ControlIniRegionHost : public RegionHost {
 public:
  int64_t NowSeconds() override;
  void WriteSetInfo(const std::string& text) override;
};

// On g_saverState and g_saverSettings.
void BuildColourTable();
void RotateColourTable(int n);
void ChooseCorners();

// One full-screen frame of the current region on dc; window is pumped after
// every pixel pair (none: no pumping).
void DrawFractalFrame(HDC dc, int width, int height, HWND window);

// Frees the off-screen bitmap that frames keep for the next one.
void ReleaseFrameBitmap();

}  // namespace fracsave
