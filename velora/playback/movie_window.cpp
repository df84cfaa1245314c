#include "velora/playback/movie_window.h"

namespace velora {

namespace {

const char kClassName[] = "VeloraMovie";

const char* RegisterMovieClass() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (GetClassInfoA(instance, kClassName, &wc)) return kClassName;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) ? kClassName : nullptr;
}

}  // namespace

UniqueMovieWindow CreateMovieWindow(HWND parent, const RECT& where) {
  const char* windowClass = RegisterMovieClass();
  if (!windowClass) return UniqueMovieWindow();
  UniqueMovieWindow window(CreateWindowExA(
      0, windowClass, "", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, where.left,
      where.top, where.right - where.left, where.bottom - where.top, parent, nullptr, GetModuleHandleA(nullptr),
      nullptr));
  // Black now: a repaint after the device's first picture would hide it until the device draws again.
  if (window) UpdateWindow(window.get());
  return window;
}

}  // namespace velora
