// A frame's iteration counts, column by column: worker threads compute the
// columns ahead while the caller takes them in order (and computes one itself
// whenever the next is not started yet), so the caller's thread stays free to
// colour, show and pump in the order the picture has always grown in.
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

// One frame's columns; one feed at a time per process.
class ColumnFeed {
 public:
  explicit ColumnFeed(const ColumnGrid& grid);
  // Workers stop at their next column; returns once none is still computing.
  ~ColumnFeed();
  ColumnFeed(const ColumnFeed&) = delete;
  ColumnFeed& operator=(const ColumnFeed&) = delete;

  // Counts of rows 0..rows-1 of column c, as IterateColumn gives them. Columns
  // are taken in order 0, 1, 2, ...; the pointer holds until the next call.
  const int32_t* Column(int c);

 private:
  ColumnGrid grid_;
  bool shared_;                 // workers take part
  std::vector<int32_t> alone_;  // the one column when the caller computes alone
};

}  // namespace fracsave
