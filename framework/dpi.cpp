#include "framework/dpi.h"

namespace fw {

namespace {

// Looked up by name: Windows before 10 1607 has neither.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT DpiOf(HWND window) {
  static const auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (window && forWindow) {
    if (UINT dpi = forWindow(window)) return dpi;
  }
  return SystemDpi();
}

int ArtScaleFor(UINT dpi) {
  if (dpi <= 120) return 100;
  if (dpi <= 168) return 150;
  return 200;
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace fw
