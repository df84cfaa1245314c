#include "fracsave/core/worker_threads.h"

#if defined(_WIN32)
#include <windows.h>

#include "framework/system_libraries.h"
#else
#include <thread>
#endif

namespace fracsave {

#if defined(_WIN32)

// Slim locks and condition variables came with Windows Vista: they are looked
// up, so that an older system still runs the saver, on its own thread alone.
namespace {
struct SlimCalls {
  void(WINAPI* acquire)(void**);
  void(WINAPI* release)(void**);
  BOOL(WINAPI* sleep)(void**, void**, DWORD, ULONG);
  void(WINAPI* wakeAll)(void**);
  bool ok;
};
SlimCalls LoadSlimCalls() {
  SlimCalls c = {};
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return c;
  c.acquire = fw::FindFunction<decltype(c.acquire)>(kernel, "AcquireSRWLockExclusive");
  c.release = fw::FindFunction<decltype(c.release)>(kernel, "ReleaseSRWLockExclusive");
  c.sleep = fw::FindFunction<decltype(c.sleep)>(kernel, "SleepConditionVariableSRW");
  c.wakeAll = fw::FindFunction<decltype(c.wakeAll)>(kernel, "WakeAllConditionVariable");
  c.ok = c.acquire && c.release && c.sleep && c.wakeAll;
  return c;
}
// Looked up as the program starts, before any thread of ours runs.
const SlimCalls g_slim = LoadSlimCalls();
const SlimCalls& Slim() { return g_slim; }
}  // namespace

bool WorkerThreadsAvailable() { return Slim().ok; }

void WorkerLock::lock() { Slim().acquire(&state_); }
void WorkerLock::unlock() { Slim().release(&state_); }
void WorkerSignal::Wait(WorkerLock& lock) { Slim().sleep(&state_, &lock.state_, INFINITE, 0); }
void WorkerSignal::WakeAll() { Slim().wakeAll(&state_); }

namespace {
struct StartInfo {
  void (*run)(void*);
  void* context;
};
DWORD WINAPI ThreadMain(void* p) {
  const StartInfo start = *static_cast<StartInfo*>(p);
  delete static_cast<StartInfo*>(p);
  start.run(start.context);
  return 0;
}
}  // namespace

bool WorkerThread::Start(void (*run)(void*), void* context) {
  Join();
  if (!WorkerThreadsAvailable()) return false;
  auto* start = new StartInfo{run, context};
  // A small stack: a worker only iterates columns.
  handle_ = CreateThread(nullptr, 64 * 1024, ThreadMain, start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!handle_) delete start;
  return handle_ != nullptr;
}

void WorkerThread::Join() {
  if (!handle_) return;
  WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  handle_ = nullptr;
}

int HardwareThreadCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? int(info.dwNumberOfProcessors) : 1;
}

#else

bool WorkerThreadsAvailable() { return true; }

void WorkerLock::lock() { mutex_.lock(); }
void WorkerLock::unlock() { mutex_.unlock(); }
void WorkerSignal::Wait(WorkerLock& lock) { signal_.wait(lock); }
void WorkerSignal::WakeAll() { signal_.notify_all(); }

bool WorkerThread::Start(void (*run)(void*), void* context) {
  Join();
  try {
    handle_ = new std::thread(run, context);
  } catch (...) {
    handle_ = nullptr;
  }
  return handle_ != nullptr;
}

void WorkerThread::Join() {
  if (!handle_) return;
  auto* thread = static_cast<std::thread*>(handle_);
  thread->join();
  delete thread;
  handle_ = nullptr;
}

int HardwareThreadCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? int(n) : 1;
}

#endif

}  // namespace fracsave
