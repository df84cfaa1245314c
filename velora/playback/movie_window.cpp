#include "velora/playback/movie_window.h"

#include "framework/window.h"

namespace velora {

namespace {

const char kClassName[] = "VeloraMovie";

const char* RegisterMovieClass() {
  return fw::Window::RegisterClassOnce(kClassName, 0, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace

UniqueMovieWindow CreateMovieWindow(HWND parent, const RECT& where, const char* caption) {
  const char* windowClass = RegisterMovieClass();
  if (!windowClass) return UniqueMovieWindow();
  UniqueMovieWindow window(CreateWindowExA(
      0, windowClass, caption, WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, where.left,
      where.top, where.right - where.left, where.bottom - where.top, parent, nullptr, GetModuleHandleA(nullptr),
      nullptr));
  // Black now: a repaint after the device's first picture would hide it until the device draws again.
  if (window) UpdateWindow(window.get());
  return window;
}

}  // namespace velora
