#include "fracsave/core/regions.h"

#include <cstdio>

namespace fracsave {

const Region kPresets[kPresetCount] = {
    {0.0702470541, -0.0702470541, 0.0702470541, -0.0702470541},
    {0.07, -2.05, 1.3, -1.3},
    {1.25, -0.93, 1.11, -0.59},
    {0.35, -1.73, 0.88, -0.76},
    {0.45, -1.94, 1.1, -1.02},
    {0.35, -1.94, 0.71, -0.22},
    {0.25, -1.29, 1.04, -0.85},
    {1.25, -1.88, 1.11, -1.22},
    {0.7, -0.7, 0.7, -0.7},
    {1.5, -0.7, 1.25, -0.2},
    {1.5, -1.1, 0.8, -1.2},
    {2.000012, -2.0, 1.5, -1.500014},
    {2.701095, -1.298905, 1.5, -1.5},
    {-0.96550965, -1.2662856, 0.10652244, -0.11905605},
    {2.287628, -2.256309, 1.672705, -1.735412},
    {16.52572, -16.5257, 12.3943, -12.39433},
    {0.9631793, -0.9278118, 0.002871058, -1.415372},
    {3.037392, -2.059498, 1.861563, -1.961137},
    {-0.0430526733, -0.0702470541, 0.834100187, 0.81368649},
    {-0.0430526733, -0.0802470541, 0.834100187, 0.81368649},
};

std::string FormatSetInfo(const Region& r) {
  // Moved edges are not bounded: room for four of the longest doubles in %f
  // (309 digits, sign, point and six decimals) rather than a guess.
  char text[4 * 320 + 64];
  const int n = std::snprintf(text, sizeof(text), "mset.xmax=%f,mset.xmin=%f,mset.ymax=%f,mset.ymin=%f",
                              r.xmax, r.xmin, r.ymax, r.ymin);
  return (n > 0 && size_t(n) < sizeof(text)) ? std::string(text, size_t(n)) : std::string();
}

namespace {

void MoveCorners(Region& m, CornerSteps& s) {
  // Steps turn back at the limits before the move; nothing else bounds the
  // edges, so they may drift inward and even cross.
  if (m.xmax >= 1.5 && s.dxmax > 0) s.dxmax = -s.dxmax;
  if (m.ymax >= 1.3 && s.dymax > 0) s.dymax = -s.dymax;
  if (m.xmin <= -2.25 && s.dxmin < 0) s.dxmin = -s.dxmin;
  if (m.ymin <= -1.3 && s.dymin < 0) s.dymin = -s.dymin;
  m.xmax += s.dxmax;
  m.xmin += s.dxmin;
  m.ymax += s.dymax;
  m.ymin += s.dymin;
}

double Step(RegionRandom& rng) { return (rng.Next() % 2 != 0) ? 0.1 : -0.1; }

}  // namespace

void ChooseCorners(SaverState& state, const SaverSettings& settings, RegionHost& host) {
  // Reseeded on every call: two calls in the same second pick the same region.
  RegionRandom rng(uint32_t(host.NowSeconds()));

  if (!state.newImage) {
    MoveCorners(state.mset, state.cornerSteps);
    return;
  }

  if (settings.randCorners) state.presetIndex = rng.Next() % 22;

  if (state.presetIndex >= 0 && state.presetIndex < kPresetCount) {
    state.mset = kPresets[state.presetIndex];
  } else {
    Region& m = state.mset;
    m.xmax = double(rng.Next() % 150) * 0.01;
    m.xmin = double(rng.Next() % 225) * -0.01;
    m.ymax = double(rng.Next() % 130) * 0.01;
    m.ymin = double(rng.Next() % 130) * -0.01;
  }

  host.WriteSetInfo(FormatSetInfo(state.mset));

  CornerSteps& s = state.cornerSteps;
  s.dxmax = Step(rng);
  s.dymax = Step(rng);
  s.dxmin = Step(rng);
  s.dymin = Step(rng);

  if (!settings.randCorners) {
    state.presetIndex = (state.presetIndex >= 22) ? 0 : state.presetIndex + 1;
  }
}

}  // namespace fracsave
