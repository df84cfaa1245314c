// A frame's iteration counts, column by column: worker threads compute the
// columns ahead while the caller takes them in order (and computes some itself
// whenever the next are not started yet), so the caller's thread stays free to
// show and pump in the order the picture has always grown in. For a frame
// drawn in memory the workers also colour the pixels and put them in place.
#pragma once

#include <cstdint>
#include <vector>

namespace fracsave {

constexpr int kMaxFrameWorkers = 8;

// Threads that compute a frame, the caller's own included: 1 computes on the
// caller alone. Starts at DefaultFrameWorkerCount().
int FrameWorkerCount();
// Clamped to 1..kMaxFrameWorkers; not while a frame runs.
void SetFrameWorkerCount(int workers);
// The processor's hardware threads, 1 to kMaxFrameWorkers.
int DefaultFrameWorkerCount();
// Ends the worker threads, which otherwise sleep between frames until the
// process ends; the next frame starts them again. Not while a frame runs.
void StopFrameWorkers();

// The points of a frame: column c, row r is (c * dx + xmin, ymax - r * dy).
struct ColumnGrid {
  double xmin, dx, ymax, dy;
  int width, rows, limit;
  double threshold;
};

// A row-major bitmap of grid.width x height pixels that a frame's columns are
// painted into: the point of column c, row r sets pixels (c, r) and
// (c, height - r) where they lie in the bitmap.
struct ColumnPainter {
  uint32_t* bits;
  int height;
  const uint32_t* palette;  // 256 colours, as the bitmap stores them
  int mask;                 // a count's colour index is count AND mask...
  bool turning;             // ...plus the column's number, modulo 256 (ShiftPal)
};

// Columns are handed out in strips this wide: a strip's part of a row is one
// cache line of a 32-bit bitmap, which only the strip's thread writes.
constexpr int kStripColumns = 16;

// One frame's columns; one feed at a time per process.
class ColumnFeed {
 public:
  // With a painter, every column the feed hands out is already in its bitmap;
  // columns after it may be too (up to a few strips ahead).
  explicit ColumnFeed(const ColumnGrid& grid, const ColumnPainter* painter = nullptr);
  // Workers stop at their next column; returns once none is still computing.
  ~ColumnFeed();
  ColumnFeed(const ColumnFeed&) = delete;
  ColumnFeed& operator=(const ColumnFeed&) = delete;

  // Counts of rows 0..rows-1 of column c, as IterateColumn gives them. Columns
  // are taken in order 0, 1, 2, ...; the pointer holds until the next call.
  const int32_t* Column(int c);

 private:
  ColumnGrid grid_;
  const ColumnPainter* painter_;
  bool shared_;                 // workers take part
  int strip_ = -1;              // the strip the caller is in, and its counts
  const int32_t* stripCounts_ = nullptr;
  std::vector<int32_t> alone_;  // the one strip when the caller computes alone
};

}  // namespace fracsave
