// The few threading tools the frame workers need: on Windows the system's
// own (slim locks, condition variables, threads), elsewhere the standard
// library's. The C++ library's threads would bring its string and exception
// machinery into the shipped program, about a third of its size.
#pragma once

#if !defined(_WIN32)
#include <condition_variable>
#include <mutex>
#endif

namespace fracsave {

// A lock for std::lock_guard and std::unique_lock.
class WorkerLock {
 public:
  void lock();
  void unlock();

 private:
  friend class WorkerSignal;
#if defined(_WIN32)
  void* state_ = nullptr;  // an SRWLOCK, all zero when free
#else
  std::mutex mutex_;
#endif
};

// Wakes threads that wait under a WorkerLock.
class WorkerSignal {
 public:
  // Unlocks while asleep; may also return without a wake-up, like any condition.
  void Wait(WorkerLock& lock);
  void WakeAll();

 private:
#if defined(_WIN32)
  void* state_ = nullptr;  // a CONDITION_VARIABLE, all zero when new
#else
  std::condition_variable_any signal_;
#endif
};

class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  ~WorkerThread() { Join(); }
  // False when the system gives no thread.
  bool Start(void (*run)(void* context), void* context);
  void Join();

 private:
  void* handle_ = nullptr;
};

// False on a system without the tools (Windows before Vista): then nothing
// here may be used, and frames are computed on the caller's thread alone.
bool WorkerThreadsAvailable();

// The processor's hardware threads (at least 1).
int HardwareThreadCount();

}  // namespace fracsave
