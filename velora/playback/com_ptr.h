#pragma once
// Holds one reference to a COM object and gives it back when it goes, so that
// no path through a movie's set-up can leak a Media Foundation object.
#include <utility>

namespace velora {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference the caller already holds.
  static ComPtr Adopt(Interface* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  Interface* get() const { return p_; }
  Interface* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For the "out" parameter of a creating call; drops what was held.
  Interface** out() {
    reset();
    return &p_;
  }
  void** outVoid() { return reinterpret_cast<void**>(out()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  Interface* p_ = nullptr;
};

}  // namespace velora
