#pragma once
// The savers' watch on the pointer: the first position reported is the
// reference, and any later report elsewhere, by as little as one pixel, ends
// the saver. The reference is never updated by a report, so a pointer that
// drifts slowly still ends it.
#include <cstdint>

namespace fw {

// When a saver knows no reference yet. Each saver states its own; it is fixed
// when the program is built, so the watch costs velora.scr no more than the
// comparison it replaces.
enum class UnknownPointer {
  // While both coordinates are -1 (velora: window coordinates, never
  // negative, since its window covers every monitor).
  kWhileBothMinusOne,
  // Until one is taken (fracsave: screen coordinates, where -1 is a real
  // place on a monitor left of or above the primary).
  kUntilTaken,
};

template <UnknownPointer unknown>
class PointerWatch {
 public:
  bool Known() const {
    if constexpr (unknown == UnknownPointer::kUntilTaken)
      return taken_;
    else
      return x_ != -1 || y_ != -1;
  }

  // The pointer is at (x, y) now, whatever was known.
  void Take(int32_t x, int32_t y) {
    x_ = x;
    y_ = y;
    if constexpr (unknown == UnknownPointer::kUntilTaken) taken_ = true;
  }

  // A report of the pointer at (x, y): with no reference yet it becomes the
  // reference and is no move; after that, whether it lies anywhere else.
  bool Moved(int32_t x, int32_t y) {
    if (Known()) return x != x_ || y != y_;
    Take(x, y);
    return false;
  }

  // The window's origin moved by (dx, dy) on the screen while the pointer
  // stayed: a reference kept in window coordinates moves the other way.
  void FollowWindowOrigin(int32_t dx, int32_t dy) {
    if (!Known()) return;
    x_ -= dx;
    y_ -= dy;
  }

  int32_t x() const { return x_; }
  int32_t y() const { return y_; }

 private:
  int32_t x_ = -1;
  int32_t y_ = -1;
  bool taken_ = false;
};

}  // namespace fw
