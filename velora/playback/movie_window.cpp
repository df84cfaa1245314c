#include "velora/playback/movie_window.h"

#include "framework/window.h"

namespace velora {

namespace {

const char kClassName[] = "VeloraMovie";

// The player draws a picture of its own (Media Foundation's) when the window
// paints; a movie device draws on its own and finds the window black.
LRESULT CALLBACK MovieWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  if (HDC dc = BeginPaint(window, &paint)) {
    SendMessageA(GetParent(window), WM_SAVER_MOVIE_PAINT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(window));
    EndPaint(window, &paint);
  }
  return 0;
}

const char* RegisterMovieClass() {
  return fw::Window::RegisterClassOnce(kClassName, 0, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
                                       MovieWindowProcedure);
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
