// The Win32 side of the picture engine: frames painted on device contexts and
// regions recorded in CONTROL.INI, all on one saver's picture records.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "fracsave/core/regions.h"

namespace fracsave {

// The saver's message pump, run after every pixel pair of a frame drawn for a
// window. The shell installs PumpSaverMessages here; until then frames run
// without pumping. A pump that looks at the queue at most once per
// millisecond (paced) is run where time passes: after every pixel pair drawn
// on the screen, after every column of a frame drawn off-screen.
using FramePump = std::function<int(HWND window)>;

class FrameBitmap;

// What one saver's frames are drawn from and keep: the run-time record, the
// preferences, the pump, and the off-screen bitmap kept for the next frame.
struct FractalPicture {
  FractalPicture();
  ~FractalPicture();
  FractalPicture(const FractalPicture&) = delete;
  FractalPicture& operator=(const FractalPicture&) = delete;

  SaverState state = {};
  SaverSettings settings = {};
  FramePump pump = nullptr;
  bool pumpPaced = false;
  std::unique_ptr<FrameBitmap> bitmap;
};

// Time in whole seconds, and SetInfo in section "Screen Saver.Mandelbrot" of CONTROL.INI.
class ControlIniRegionHost : public RegionHost {
 public:
  int64_t NowSeconds() override;
  void WriteSetInfo(const std::string& text) override;
};

// On the picture's records.
void BuildColourTable(FractalPicture& picture);
void RotateColourTable(FractalPicture& picture, int n);
void ChooseCorners(FractalPicture& picture);

// One full-screen frame of the current region on dc; window is pumped after
// every pixel pair (none: no pumping).
void DrawFractalFrame(FractalPicture& picture, HDC dc, int width, int height, HWND window);

}  // namespace fracsave
