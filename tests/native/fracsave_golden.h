// Golden frames of the fractal saver: a checksum of every pixel of a few whole
// frames, shared by the native and the Win32 tests so that any change in the
// arithmetic, on either build, is caught.
#pragma once

#include <cstdint>
#include <string>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/column_feed.h"
#include "fracsave/core/mandelbrot.h"

// Under the sanitizers a 4K frame takes seconds on every path and worker
// count; their 1024x768 frames run the same code.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FRACSAVE_GOLDEN_SKIP_4K 1
#endif
#endif

namespace fracsave_golden {

struct GoldenFrame {
  const char* name;
  int preset;
  int width;
  int height;
  bool fast;
  bool shiftPal;
  uint64_t checksum;
  bool moved = false;  // AlterCorners moves the preset inwards by one step first
};

inline const GoldenFrame kGoldenFrames[] = {
    {"preset1_full", 1, 320, 240, false, false, 0x5c68b7ec4200abedull},
    {"preset13_fast_shift", 13, 256, 193, true, true, 0x375b3c780753d6fbull},
    {"preset15_full_odd", 15, 201, 151, false, false, 0x969df8af23d25902ull},
    {"preset18_full", 18, 160, 120, false, false, 0x779c0b73b726b7f3ull},
    {"preset0_fast", 0, 128, 96, true, false, 0xb1c3695b6c660383ull},
};

// Whole screens, common and 4K, as the saver fills them.
inline const GoldenFrame kScreenFrames[] = {
    {"preset1_1024_full", 1, 1024, 768, false, false, 0x21cfab558a5cff14ull},
    {"preset1_1024_fast", 1, 1024, 768, true, false, 0xdb70470811b38ef4ull},
    {"preset13_1024_full_shift", 13, 1024, 768, false, true, 0xa41f76a257b44228ull},
    {"preset13_1024_fast_shift", 13, 1024, 768, true, true, 0x2391fea6d06e4fd6ull},
    {"preset1_1024_full_moved", 1, 1024, 768, false, false, 0xdde64f9d8b9b52a7ull, true},
    {"preset1_4k_full", 1, 3840, 2160, false, false, 0x879a1aafe074ca9eull},
    {"preset1_4k_fast", 1, 3840, 2160, true, false, 0xec330d41c492625aull},
    {"preset1_4k_full_shift", 1, 3840, 2160, false, true, 0xe8bed9d779edbd68ull},
    {"preset13_4k_fast_shift", 13, 3840, 2160, true, true, 0x7424c06552aeb505ull},
    {"preset1_4k_fast_moved", 1, 3840, 2160, true, false, 0x8d9db296af624e1bull, true},
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
  if (g.moved) {
    settings.alterCorners = 1;
    state.cornerSteps = {-0.1, 0.1, -0.1, 0.1};
  }
  NoHost host;
  fracsave::SurfaceScreen screen(g.width, g.height);
  fracsave::DrawFrame(state, settings, host, screen, g.width, g.height);
  return screen.screen;
}

// Calls check(frame, rendered checksum, trace) for every frame of both tables on
// every vector path the processor has and with 1, 2 and 4 worker threads; the
// process's path and workers are put back afterwards.
template <class Check>
void ForEveryPathAndWorkerCount(Check check) {
  const fracsave::VectorPath path = fracsave::CurrentVectorPath();
  const int workers = fracsave::FrameWorkerCount();
  for (fracsave::VectorPath wanted : {fracsave::VectorPath::kSse2, fracsave::VectorPath::kAvx2}) {
    if (fracsave::UseVectorPath(wanted) != wanted) continue;  // no AVX2 here
    for (int n : {1, 2, 4}) {
      fracsave::SetFrameWorkerCount(n);
      const std::string trace = std::string(wanted == fracsave::VectorPath::kAvx2 ? "AVX2" : "SSE2") +
                                ", " + std::to_string(n) + " workers";
      auto each = [&](const auto& frames) {
        for (const GoldenFrame& g : frames) {
#if defined(FRACSAVE_GOLDEN_SKIP_4K)
          if (g.width > 1024) continue;
#endif
          check(g, RenderGolden(g).Checksum(), trace);
        }
      };
      each(kGoldenFrames);
      each(kScreenFrames);
    }
  }
  fracsave::UseVectorPath(path);
  fracsave::SetFrameWorkerCount(workers);
}

}  // namespace fracsave_golden
