// Linked into the shipped programs only. A function's static object is made
// the first time a call reaches it, once, even when threads reach it together:
// the compiler asks these three functions, which the C++ library would bring
// with its POSIX threads layer and its exception machinery (about 70 KB in
// x86 velora.scr). These keep the same guarantees with the system's atomic
// operations alone.
//
// The guard is 64 bits. Its first byte, which the compiler's own code reads
// before it calls here, is set once the object is made. Its second 32-bit
// word holds the id of the thread making it, and stays set after that so
// that no other thread can start making it again.
#include <windows.h>

#include <cstdlib>
#include <cxxabi.h>  // the declarations these definitions follow

namespace {

char* MadeFlag(__cxxabiv1::__guard* guard) { return reinterpret_cast<char*>(guard); }
LONG volatile* Maker(__cxxabiv1::__guard* guard) { return reinterpret_cast<LONG volatile*>(guard) + 1; }

}  // namespace

extern "C" int __cxxabiv1::__cxa_guard_acquire(__guard* guard) {
  const LONG self = static_cast<LONG>(GetCurrentThreadId());
  for (;;) {
    if (__atomic_load_n(MadeFlag(guard), __ATOMIC_ACQUIRE)) return 0;
    const LONG maker = InterlockedCompareExchange(Maker(guard), self, 0);
    if (maker == 0) return 1;
    // The object's own making reached it again: it can never be made.
    if (maker == self) std::abort();
    // Another thread is making it. Sleep(1) lets that thread run even when
    // its priority is lower than this one's.
    Sleep(1);
  }
}

extern "C" void __cxxabiv1::__cxa_guard_release(__guard* guard) noexcept {
  __atomic_store_n(MadeFlag(guard), 1, __ATOMIC_RELEASE);
}

// The making failed (it cannot, without exceptions; the compiler still asks
// for this): the next call tries again.
extern "C" void __cxxabiv1::__cxa_guard_abort(__guard* guard) noexcept {
  InterlockedExchange(Maker(guard), 0);
}
