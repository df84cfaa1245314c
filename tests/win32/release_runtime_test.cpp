// The shipped programs' own static-object guard and operator new, linked here
// in place of the C++ library's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <new>

namespace {

LONG made = 0;

struct SlowToMake {
  SlowToMake() {
    InterlockedIncrement(&made);
    Sleep(50);  // the other threads reach the object while it is being made
    value = 42;
  }
  int value = 0;
};

const SlowToMake& Shared() {
  static SlowToMake object;
  return object;
}

HANDLE start = nullptr;

DWORD WINAPI ReachShared(void* seen) {
  WaitForSingleObject(start, INFINITE);
  *static_cast<int*>(seen) = Shared().value;
  return 0;
}

TEST(ReleaseRuntime, AStaticObjectIsMadeOnceAndSeenMadeByThreadsThatReachItTogether) {
  constexpr int kThreads = 8;
  start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  int seen[kThreads] = {};
  HANDLE threads[kThreads];
  for (int i = 0; i < kThreads; ++i) threads[i] = CreateThread(nullptr, 0, &ReachShared, &seen[i], 0, nullptr);
  SetEvent(start);
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  CloseHandle(start);
  EXPECT_EQ(made, 1);
  for (int value : seen) EXPECT_EQ(value, 42);
}

int handlerCalls = 0;

void GiveUp() {
  ++handlerCalls;
  std::set_new_handler(nullptr);
}

TEST(ReleaseRuntime, NothrowNewGivesNullWhenMemoryRunsOutAfterAskingTheNewHandler) {
  volatile std::size_t huge = SIZE_MAX / 2;
  std::set_new_handler(&GiveUp);
  void* single = ::operator new(huge, std::nothrow);
  EXPECT_EQ(single, nullptr);
  EXPECT_EQ(handlerCalls, 1);
  void* array = ::operator new[](huge, std::nothrow);
  EXPECT_EQ(array, nullptr);
}

}  // namespace
