// Frames of any size, region and settings, with an abort at any pixel,
// compared pixel by pixel with a plain reference: every point iterated one at
// a time, every pixel set where the frame rule says. The column iteration is
// also compared with its one-point version for any numbers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"
#include "fuzz_check.h"

using namespace fracsave;

namespace {

class FixedClock : public RegionHost {
 public:
  explicit FixedClock(int64_t now) : now_(now) {}
  int64_t NowSeconds() override { return now_; }
  void WriteSetInfo(const std::string&) override {}

 private:
  int64_t now_;
};

// The frame exactly as the rule is written, on plain surfaces.
void ReferenceFrame(SaverState& s, const SaverSettings& set, RegionHost& host, Surface& screen, int width,
                    int height, int abortAfter) {
  if (s.abortFrame || width > kMaxFrameSide || height > kMaxFrameSide) return;
  if (s.frameCount == 0)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) screen.Set(x, y, 0);
  Surface offscreen(set.showGen ? 0 : width, set.showGen ? 0 : height);
  Surface& target = set.showGen ? screen : offscreen;
  const int h2 = height / 2;
  const IterationLimits lim = LimitsFor(set);
  if (set.alterCorners || s.newImage) ChooseCorners(s, set, host);
  const Region m = s.mset;
  const double dx = (m.xmax - m.xmin) / width, dy = (m.ymax - m.ymin) / height;
  s.abortFrame = 0;
  int pumps = 0;
  for (int c = 0; c < width && !s.abortFrame; ++c) {
    for (int r = 0; r <= h2 && !s.abortFrame; ++r) {
      const int32_t k = IteratePoint(double(c) * dx + m.xmin, m.ymax - double(r) * dy, lim.limit, lim.threshold);
      const uint32_t colour = k < 0 ? 0u : ToColorRef(s.colourTable.entry[k & lim.mask]);
      target.Set(c, r, colour);
      target.Set(c, height - r, colour);
      if (abortAfter > 0 && ++pumps == abortAfter) s.abortFrame = 1;
    }
    if (set.shiftPal) RotateColourTable(s.colourTable, 1);
  }
  if (!set.showGen)
    for (int y = 0; y < std::min(height, screen.height); ++y)
      for (int x = 0; x < std::min(width, screen.width); ++x) screen.Set(x, y, offscreen.At(x, y));
  s.newImage = 0;
  s.frameCount += 1;
}

struct AbortAfter {
  SaverState* state;
  int left;
  static void Pump(void* self) {
    auto* a = static_cast<AbortAfter*>(self);
    if (--a->left == 0) a->state->abortFrame = 1;
  }
};

// Any bit pattern: infinities, NaN and denormals too.
double AnyDouble(FuzzedDataProvider& in) {
  const uint64_t bits = in.ConsumeIntegral<uint64_t>();
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void CompareColumns(FuzzedDataProvider& in) {
  const bool near = in.ConsumeBool();
  auto number = [&](double range) { return near ? in.ConsumeFloatingPointInRange(-range, range) : AnyDouble(in); };
  const double cr = number(3), ymax = number(3), dy = number(0.5), threshold = number(100);
  const int count = in.ConsumeIntegralInRange(0, 40), limit = in.ConsumeIntegralInRange(-8, 600);
  std::vector<int32_t> fast(size_t(count) + 1, 7), slow(size_t(count) + 1, 7);
  IterateColumn(cr, ymax, dy, count, limit, threshold, fast.data());
  IterateColumnScalar(cr, ymax, dy, count, limit, threshold, slow.data());
  FUZZ_CHECK(fast == slow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CompareColumns(in);
    return 0;
  }
  SaverState state = {};
  BuildColourTable(state.colourTable);
  RotateColourTable(state.colourTable, in.ConsumeIntegral<uint8_t>());
  SaverSettings settings = {};
  settings.fastGen = in.ConsumeBool();
  settings.shiftPal = in.ConsumeBool();
  settings.randCorners = in.ConsumeBool();
  settings.alterCorners = in.ConsumeBool();
  settings.showGen = in.ConsumeBool();
  state.newImage = in.ConsumeBool();
  state.abortFrame = in.ConsumeIntegralInRange(0, 15) == 0;
  state.frameCount = in.ConsumeIntegralInRange(0, 2);
  state.presetIndex = in.ConsumeIntegralInRange(-2, 21);
  state.alterCount = in.ConsumeIntegralInRange(0, 300);
  const double step = in.ConsumeBool() ? 0.1 : -0.1;
  state.cornerSteps = {step, -step, step, -step};
  // Mostly regions near the set, sometimes any doubles at all (infinities and NaN included).
  const bool anyRegion = in.ConsumeIntegralInRange(0, 7) == 0;
  auto edge = [&] { return anyRegion ? AnyDouble(in) : in.ConsumeFloatingPointInRange(-3.0, 3.0); };
  state.mset.xmax = edge();
  state.mset.xmin = edge();
  state.mset.ymax = edge();
  state.mset.ymin = edge();
  const int64_t now = in.ConsumeIntegral<int64_t>();
  const int width = in.ConsumeIntegralInRange(-3, 40), height = in.ConsumeIntegralInRange(-3, 40);
  const int abortAfter = in.ConsumeIntegralInRange(0, 400);

  // Both screens start with the same leftover picture, so that every write shows.
  SurfaceScreen screen(width, height);
  Surface expected(width, height);
  for (size_t i = 0; i < screen.screen.pixels.size(); ++i)
    screen.screen.pixels[i] = expected.pixels[i] = uint32_t(i * 2654435761u) & 0xffffffu;

  SaverState referenceState = state;
  FixedClock clock(now), referenceClock(now);
  AbortAfter abort{&state, abortAfter};
  if (abortAfter > 0) {
    screen.pump = &AbortAfter::Pump;
    screen.pumpContext = &abort;
  }
  DrawFrame(state, settings, clock, screen, width, height);
  ReferenceFrame(referenceState, settings, referenceClock, expected, width, height, abortAfter);
  FUZZ_CHECK(screen.screen.pixels == expected.pixels);
  FUZZ_CHECK(state.frameCount == referenceState.frameCount && state.newImage == referenceState.newImage);
  FUZZ_CHECK(std::memcmp(&state.colourTable, &referenceState.colourTable, sizeof state.colourTable) == 0);
  return 0;
}
