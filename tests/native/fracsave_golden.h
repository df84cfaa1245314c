// Golden frames of the fractal saver: a checksum of every pixel of a few whole
// frames, shared by the native and the Win32 tests so that any change in the
// arithmetic, on either build, is caught.
#pragma once

#include <cstdint>
#include <string>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"

namespace fracsave_golden {

struct GoldenFrame {
  const char* name;
  int preset;
  int width;
  int height;
  bool fast;
  bool shiftPal;
  uint64_t checksum;
};

inline const GoldenFrame kGoldenFrames[] = {
    {"preset1_full", 1, 320, 240, false, false, 0x5c68b7ec4200abedull},
    {"preset13_fast_shift", 13, 256, 193, true, true, 0x375b3c780753d6fbull},
    {"preset15_full_odd", 15, 201, 151, false, false, 0x969df8af23d25902ull},
    {"preset18_full", 18, 160, 120, false, false, 0x779c0b73b726b7f3ull},
    {"preset0_fast", 0, 128, 96, true, false, 0xb1c3695b6c660383ull},
};

inline uint64_t Checksum(const fracsave::Surface& s) { return s.Checksum(); }

class NoHost : public fracsave::RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

// One frame of a preset, on a fresh colour table, as a later (not the first) frame.
inline fracsave::Surface RenderGolden(const GoldenFrame& g) {
  static fracsave::SaverState state;
  state = fracsave::SaverState{};
  fracsave::BuildColourTable(state.colourTable);
  state.mset = fracsave::kPresets[g.preset];
  state.frameCount = 1;
  fracsave::SaverSettings settings = {};
  settings.fastGen = g.fast;
  settings.shiftPal = g.shiftPal;
  NoHost host;
  fracsave::SurfaceScreen screen(g.width, g.height);
  fracsave::DrawFrame(state, settings, host, screen, g.width, g.height);
  return screen.screen;
}

}  // namespace fracsave_golden
