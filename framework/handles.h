#pragma once
// Owning wrappers for the system handles the programs hold, so that no path
// (early return, failed step) can leak a GDI object, key, file or device.
#include <windows.h>

#include <utility>

namespace fw {

template <typename Handle, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(Handle h) : h_(h) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : h_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Unique() { reset(); }

  Handle get() const { return h_; }
  explicit operator bool() const { return Traits::valid(h_); }
  Handle release() { return std::exchange(h_, Traits::invalid()); }
  void reset(Handle h = Traits::invalid()) {
    if (Traits::valid(h_)) Traits::close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::invalid();
};

template <typename Handle, auto Close>
struct NullTraits {
  static Handle invalid() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr; }
  static void close(Handle h) { Close(h); }
};

struct FileTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};

inline void DeleteGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseRegKey(HKEY k) { RegCloseKey(k); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
inline void ReleaseLibrary(HMODULE m) { FreeLibrary(m); }
inline void DestroyMenuHandle(HMENU m) { DestroyMenu(m); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void FreeLocalMemory(HLOCAL h) { LocalFree(h); }

using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueKernelHandle = Unique<HANDLE, NullTraits<HANDLE, CloseKernelHandle>>;
using UniqueKey = Unique<HKEY, NullTraits<HKEY, CloseRegKey>>;
using UniqueIcon = Unique<HICON, NullTraits<HICON, DestroyIconHandle>>;
using UniqueLibrary = Unique<HMODULE, NullTraits<HMODULE, ReleaseLibrary>>;
using UniqueMenu = Unique<HMENU, NullTraits<HMENU, DestroyMenuHandle>>;
using UniqueMemoryDc = Unique<HDC, NullTraits<HDC, DeleteMemoryDc>>;
// Memory the system allocated for the caller (FormatMessage's text).
using UniqueLocalMemory = Unique<HLOCAL, NullTraits<HLOCAL, FreeLocalMemory>>;
template <typename Gdi>
using UniqueGdi = Unique<Gdi, NullTraits<Gdi, DeleteGdiObject>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;

// A window's device context, released to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// The paint context of one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { EndPaint(hwnd_, &ps_); }
  HDC get() const { return ps_.hdc; }
  const PAINTSTRUCT& info() const { return ps_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};

// Selects an object into a context for one scope and puts the old one back.
class SelectIn {
 public:
  SelectIn(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  SelectIn(const SelectIn&) = delete;
  SelectIn& operator=(const SelectIn&) = delete;
  ~SelectIn() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace fw
