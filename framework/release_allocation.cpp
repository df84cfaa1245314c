// Linked into the shipped programs only. The C++ library's operator new
// throws std::bad_alloc when memory runs out, and its nothrow form catches
// that exception: the two bring the library's whole exception machinery
// (throwing, catching, the stack unwinder and its tables) into programs that
// throw and catch nothing. A throw found no handler in them anyway and ended
// the program; these versions end it at once, and do what the library's do
// in every other case: a request for no bytes gets one, and an installed new
// handler is asked to free memory before each retry.
#include <cstdlib>
#include <new>

namespace {

// The memory asked for, or nullptr when it is not there and no new handler is installed.
void* Allocate(std::size_t size) noexcept {
  if (size == 0) size = 1;
  for (;;) {
    if (void* memory = std::malloc(size)) return memory;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) return nullptr;
    handler();
  }
}

void* AllocateOrEnd(std::size_t size) noexcept {
  void* memory = Allocate(size);
  if (!memory) std::abort();
  return memory;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrEnd(size); }
void* operator new[](std::size_t size) { return AllocateOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
