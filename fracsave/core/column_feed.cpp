#include "fracsave/core/column_feed.h"

#include <algorithm>
#include <mutex>

#include "fracsave/core/mandelbrot.h"
#include "fracsave/core/worker_threads.h"

namespace fracsave {

namespace {

void ComputeColumn(const ColumnGrid& g, int c, int32_t* out) {
  IterateColumn(double(c) * g.dx + g.xmin, g.ymax, g.dy, g.rows, g.limit, g.threshold, out);
}

// How far the workers may run ahead of the caller: enough to keep them busy
// through any pause of the caller, small enough to stay in the cache.
constexpr int kRingColumns = 64;

// The worker threads and the one frame they share. Everything below the
// mutex is guarded by it; a column's counts are written by the one thread
// that took it and read by the caller only after it is marked ready.
class WorkerPool {
 public:
  ~WorkerPool() { Stop(); }

  void Start(int threads) {
    std::lock_guard<WorkerLock> lock(mutex_);
    if (wanted_ == threads) return;
    StopLocked();
    quit_ = false;
    wanted_ = threads;
    // Fewer threads than wanted is fine: the caller computes what they do not.
    while (started_ < std::min(threads, kMaxFrameWorkers) && threads_[started_].Start(&Work, this)) ++started_;
  }

  void Stop() {
    std::lock_guard<WorkerLock> lock(mutex_);
    StopLocked();
  }

  void BeginFrame(const ColumnGrid& grid) {
    std::lock_guard<WorkerLock> lock(mutex_);
    grid_ = grid;
    ring_.resize(size_t(kRingColumns) * size_t(std::max(grid.rows, 0)) + 1);
    std::fill(std::begin(ready_), std::end(ready_), -1);
    next_ = 0;
    taken_ = 0;
    running_ = true;
    work_.WakeAll();
  }

  const int32_t* Column(int c) {
    std::lock_guard<WorkerLock> lock(mutex_);
    // Columns before c are done with: their slots may take new columns.
    // Sleeping workers are woken once half the ring is free, not per column:
    // each wake-up is a round trip to the system.
    taken_ = c;
    if (sleeping_ > 0 && HasWorkLocked() && next_ - taken_ <= kRingColumns / 2) work_.WakeAll();
    while (ready_[c % kRingColumns] != c) {
      if (HasWorkLocked()) {
        ComputeOneLocked();
        continue;
      }
      waitingFor_ = c;
      progress_.Wait(mutex_);
      waitingFor_ = -1;
    }
    return Slot(c);
  }

  void EndFrame() {
    std::lock_guard<WorkerLock> lock(mutex_);
    running_ = false;
    while (inFlight_ > 0) progress_.Wait(mutex_);
  }

 private:
  int32_t* Slot(int c) { return ring_.data() + size_t(c % kRingColumns) * size_t(grid_.rows); }

  bool HasWorkLocked() const {
    return running_ && next_ < grid_.width && next_ < taken_ + kRingColumns;
  }

  // Takes the next column, computes it unlocked and marks it ready.
  void ComputeOneLocked() {
    const int c = next_++;
    ++inFlight_;
    const ColumnGrid grid = grid_;
    int32_t* out = Slot(c);
    mutex_.unlock();
    ComputeColumn(grid, c, out);
    mutex_.lock();
    ready_[c % kRingColumns] = c;
    --inFlight_;
    if (waitingFor_ == c || (!running_ && inFlight_ == 0)) progress_.WakeAll();
  }

  static void Work(void* self) {
    auto* pool = static_cast<WorkerPool*>(self);
    std::lock_guard<WorkerLock> lock(pool->mutex_);
    for (;;) {
      ++pool->sleeping_;
      while (!pool->quit_ && !pool->HasWorkLocked()) pool->work_.Wait(pool->mutex_);
      --pool->sleeping_;
      if (pool->quit_) return;
      pool->ComputeOneLocked();
    }
  }

  void StopLocked() {
    quit_ = true;
    work_.WakeAll();
    const int started = started_;
    started_ = 0;
    wanted_ = 0;
    mutex_.unlock();
    for (int i = 0; i < started; ++i) threads_[i].Join();
    mutex_.lock();
  }

  WorkerLock mutex_;
  WorkerSignal work_;      // to the workers: a column to take, or quit
  WorkerSignal progress_;  // to the caller: its column is ready, or the last one ended
  WorkerThread threads_[kMaxFrameWorkers];
  int started_ = 0;
  int wanted_ = 0;
  bool quit_ = false;
  int sleeping_ = 0;
  ColumnGrid grid_{};
  bool running_ = false;
  int next_ = 0;      // the next column nobody has taken
  int taken_ = 0;     // the caller's column: slots before it are free
  int inFlight_ = 0;  // columns being computed
  int waitingFor_ = -1;
  int ready_[kRingColumns] = {};  // which column each slot holds, once complete
  std::vector<int32_t> ring_;
};

// Built with the program (a local static would need a guarded first use);
// its end joins the sleeping workers before the process goes.
WorkerPool g_pool;
WorkerPool& Pool() { return g_pool; }

int g_workers = 0;  // 0 until first asked: the default

}  // namespace

int DefaultFrameWorkerCount() {
  return WorkerThreadsAvailable() ? std::clamp(HardwareThreadCount(), 1, kMaxFrameWorkers) : 1;
}

int FrameWorkerCount() {
  if (g_workers == 0) g_workers = DefaultFrameWorkerCount();
  return g_workers;
}

void SetFrameWorkerCount(int workers) {
  const int n = WorkerThreadsAvailable() ? std::clamp(workers, 1, kMaxFrameWorkers) : 1;
  if (n != FrameWorkerCount()) StopFrameWorkers();
  g_workers = n;
}

void StopFrameWorkers() { Pool().Stop(); }

ColumnFeed::ColumnFeed(const ColumnGrid& grid)
    : grid_(grid), shared_(FrameWorkerCount() > 1 && grid.width > 1 && grid.rows > 0) {
  if (shared_) {
    Pool().Start(FrameWorkerCount() - 1);
    Pool().BeginFrame(grid);
  } else {
    alone_.resize(size_t(std::max(grid.rows, 0)) + 1);
  }
}

ColumnFeed::~ColumnFeed() {
  if (shared_) Pool().EndFrame();
}

const int32_t* ColumnFeed::Column(int c) {
  if (shared_) return Pool().Column(c);
  ComputeColumn(grid_, c, alone_.data());
  return alone_.data();
}

}  // namespace fracsave
