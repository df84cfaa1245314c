// Which part of the plane the next frame shows: the 20 preset regions, random
// regions, and the slow moves of AlterCorners. Every new region is recorded
// as SetInfo.
#pragma once

#include <cstdint>
#include <string>

#include "fracsave/core/saver_state.h"

namespace fracsave {

constexpr int kPresetCount = 20;
extern const Region kPresets[kPresetCount];

// The saver's pseudo-random numbers: the classic C runtime generator
// (state * 214013 + 2531011, bits 16..30), so that a given second yields the
// same regions on every build of the saver.
class RegionRandom {
 public:
  explicit RegionRandom(uint32_t seed) : state_(seed) {}
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7fff);
  }

 private:
  uint32_t state_;
};

// What ChooseCorners needs from outside: the clock and the SetInfo record.
class RegionHost {
 public:
  virtual ~RegionHost() = default;
  virtual int64_t NowSeconds() = 0;
  virtual void WriteSetInfo(const std::string& text) = 0;
};

// "mset.xmax=%f,mset.xmin=%f,mset.ymax=%f,mset.ymin=%f"
std::string FormatSetInfo(const Region& r);

// Picks a new region when newImage is set (the next preset, or a random pick
// with RandCorners), else moves every edge of the current one by its step.
void ChooseCorners(SaverState& state, const SaverSettings& settings, RegionHost& host);

}  // namespace fracsave
