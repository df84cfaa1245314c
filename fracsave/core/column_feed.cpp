#include "fracsave/core/column_feed.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "fracsave/core/point_iteration.h"
#include "fracsave/core/worker_threads.h"

namespace fracsave {

namespace {

void ComputeColumn(const ColumnGrid& g, int c, int32_t* out) {
  IterateColumn(double(c) * g.dx + g.xmin, g.ymax, g.dy, g.rows, g.limit, g.threshold, out);
}

int StripCount(const ColumnGrid& g) { return (g.width + kStripColumns - 1) / kStripColumns; }

// Colours columns c0..c0+n-1 (counts column after column) into the bitmap,
// row by row: each row's part is one run of adjacent pixels.
void PaintStrip(const ColumnPainter& p, const ColumnGrid& g, int c0, int n, const int32_t* counts) {
  const size_t width = size_t(g.width);
  const int turn = p.turning ? c0 : 0, step = p.turning ? 1 : 0;
  for (int r = 0; r < g.rows; ++r) {
    const int mirror = p.height - r;
    uint32_t* top = r < p.height ? p.bits + size_t(r) * width + size_t(c0) : nullptr;
    uint32_t* bottom = mirror >= 0 && mirror < p.height ? p.bits + size_t(mirror) * width + size_t(c0) : nullptr;
    for (int j = 0; j < n; ++j) {
      const int32_t k = counts[size_t(j) * size_t(g.rows) + size_t(r)];
      const uint32_t colour = k < 0 ? 0u : p.palette[((k & p.mask) + turn + j * step) & 255];
      if (top) top[j] = colour;
      if (bottom) bottom[j] = colour;
    }
  }
}

// Counts of strip s into out (kStripColumns columns of g.rows), painted when
// there is a painter. False when `stop` came first: the strip is then left
// unfinished and unpainted.
bool ComputeStrip(const ColumnGrid& g, const ColumnPainter* painter, int s, int32_t* out,
                  const std::atomic<bool>* stop) {
  const int c0 = s * kStripColumns, n = std::min(kStripColumns, g.width - c0);
  for (int j = 0; j < n; ++j) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    ComputeColumn(g, c0 + j, out + size_t(j) * size_t(g.rows));
  }
  if (painter) PaintStrip(*painter, g, c0, n, out);
  return true;
}

// How far the workers may run ahead of the caller, in strips: enough to keep
// them busy through any pause of the caller, small enough to stay in the cache.
constexpr int kRingStrips = 8;

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

  void BeginFrame(const ColumnGrid& grid, const ColumnPainter* painter) {
    std::lock_guard<WorkerLock> lock(mutex_);
    grid_ = grid;
    painted_ = painter != nullptr;
    if (painter) painter_ = *painter;
    ring_.resize(size_t(kRingStrips) * kStripColumns * size_t(std::max(grid.rows, 0)) + 1);
    std::fill(std::begin(ready_), std::end(ready_), -1);
    next_ = 0;
    taken_ = 0;
    strips_ = StripCount(grid);
    stop_.store(false);
    running_ = true;
    work_.WakeAll();
  }

  // The counts of strip s, once complete.
  const int32_t* Strip(int s) {
    std::lock_guard<WorkerLock> lock(mutex_);
    // Strips before s are done with: their slots may take new strips.
    // Sleeping workers are woken once half the ring is free, not per strip:
    // each wake-up is a round trip to the system.
    taken_ = s;
    if (sleeping_ > 0 && HasWorkLocked() && next_ - taken_ <= kRingStrips / 2) work_.WakeAll();
    while (ready_[s % kRingStrips] != s) {
      if (HasWorkLocked()) {
        ComputeOneLocked();
        continue;
      }
      waitingFor_ = s;
      progress_.Wait(mutex_);
      waitingFor_ = -1;
    }
    return Slot(s);
  }

  void EndFrame() {
    stop_.store(true);
    std::lock_guard<WorkerLock> lock(mutex_);
    running_ = false;
    while (inFlight_ > 0) progress_.Wait(mutex_);
  }

 private:
  int32_t* Slot(int s) { return ring_.data() + size_t(s % kRingStrips) * kStripColumns * size_t(grid_.rows); }

  bool HasWorkLocked() const { return running_ && next_ < strips_ && next_ < taken_ + kRingStrips; }

  // Takes the next strip, computes it unlocked and marks it ready.
  void ComputeOneLocked() {
    const int s = next_++;
    ++inFlight_;
    const ColumnGrid grid = grid_;
    const ColumnPainter painter = painter_;
    const bool painted = painted_;
    int32_t* out = Slot(s);
    mutex_.unlock();
    const bool complete = ComputeStrip(grid, painted ? &painter : nullptr, s, out, &stop_);
    mutex_.lock();
    if (complete) ready_[s % kRingStrips] = s;
    --inFlight_;
    if (waitingFor_ == s || (!running_ && inFlight_ == 0)) progress_.WakeAll();
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
  ColumnPainter painter_{};
  bool painted_ = false;
  bool running_ = false;
  // Set as the frame ends, read without the lock: workers stop between columns.
  std::atomic<bool> stop_{false};
  int strips_ = 0;
  int next_ = 0;      // the next strip nobody has taken
  int taken_ = 0;     // the caller's strip: slots before it are free
  int inFlight_ = 0;  // strips being computed
  int waitingFor_ = -1;
  int ready_[kRingStrips] = {};  // which strip each slot holds, once complete
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

ColumnFeed::ColumnFeed(const ColumnGrid& grid, const ColumnPainter* painter)
    : grid_(grid),
      painter_(painter),
      shared_(FrameWorkerCount() > 1 && grid.width > kStripColumns && grid.rows > 0) {
  if (shared_) {
    Pool().Start(FrameWorkerCount() - 1);
    Pool().BeginFrame(grid, painter);
  } else {
    alone_.resize(size_t(kStripColumns) * size_t(std::max(grid.rows, 0)) + 1);
  }
}

ColumnFeed::~ColumnFeed() {
  if (shared_) Pool().EndFrame();
}

const int32_t* ColumnFeed::Column(int c) {
  const int s = c / kStripColumns;
  if (s != strip_) {
    strip_ = s;
    if (shared_) {
      stripCounts_ = Pool().Strip(s);
    } else {
      ComputeStrip(grid_, painter_, s, alone_.data(), nullptr);
      stripCounts_ = alone_.data();
    }
  }
  return stripCounts_ + size_t(c % kStripColumns) * size_t(grid_.rows);
}

}  // namespace fracsave
