// The savers' end on a pointer move: each saver's rule for when no reference
// is known yet, and the reference following the window's origin.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/pointer_watch.h"

namespace fw {
namespace {

constexpr UnknownPointer kVelora = UnknownPointer::kWhileBothMinusOne;
constexpr UnknownPointer kFracsave = UnknownPointer::kUntilTaken;

enum Op { kReport, kTake, kShift };
struct Step {
  Op op;
  int32_t x, y;
  bool moved;
};
// A pointer report and whether it is a move; an activation taking the
// reference; the window's origin moving by x, y.
Step Report(int32_t x, int32_t y, bool moved) { return {kReport, x, y, moved}; }
Step Take(int32_t x, int32_t y) { return {kTake, x, y, false}; }
Step Shift(int32_t x, int32_t y) { return {kShift, x, y, false}; }

template <UnknownPointer unknown>
void Play(const std::vector<Step>& steps) {
  PointerWatch<unknown> watch;
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    switch (s.op) {
      case kReport: EXPECT_EQ(watch.Moved(s.x, s.y), s.moved) << "step " << i; break;
      case kTake: watch.Take(s.x, s.y); break;
      case kShift: watch.FollowWindowOrigin(s.x, s.y); break;
    }
  }
}

TEST(PointerWatch, FirstReportIsTheReferenceThenAnyOtherPlaceIsAMove) {
  const struct Case {
    const char* what;
    UnknownPointer rule;
    std::vector<Step> steps;
  } cases[] = {
      {"one pixel either way; the reference never follows",
       kVelora,
       {Report(100, 100, false), Report(100, 100, false), Report(101, 100, true),
        Report(100, 99, true), Report(100, 100, false)}},
      {"velora: a report at -1,-1 is no reference", kVelora,
       {Report(-1, -1, false), Report(5, 5, false), Report(5, 6, true)}},
      {"velora: one coordinate -1 is", kVelora, {Report(-1, 7, false), Report(0, 7, true)}},
      {"fracsave: -1 is a place left of or above the primary", kFracsave,
       {Report(-1, -1, false), Report(-1, -1, false), Report(-2, -1, true)}},
      {"fracsave: an activation takes the reference afresh", kFracsave,
       {Report(0, 0, false), Take(9, 9), Report(9, 9, false), Report(0, 0, true)}},
      {"fracsave: an activation before any move", kFracsave,
       {Take(-1, -1), Report(-1, -1, false), Report(0, -1, true)}},
      {"a monitor added left: the pointer stays, the window's origin goes to -640", kVelora,
       {Report(700, 10, false), Shift(-640, 0), Report(1340, 10, false), Report(700, 10, true)}},
      {"the origin moving with no reference yet gives none", kVelora,
       {Shift(640, 480), Report(3, 3, false), Report(3, 3, false)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.rule == kVelora ? Play<kVelora>(c.steps) : Play<kFracsave>(c.steps);
  }
}

}  // namespace
}  // namespace fw
