#include "framework/dpi.h"

#include "framework/system_libraries.h"

namespace fw {

namespace {

// Looked up by name: Windows before 10 1607 has neither.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? FindFunction<Function>(user32, name) : nullptr;
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

UniqueBitmap ScaledBitmap(HBITMAP picture, int artScale) {
  BITMAP info{};
  if (!picture || !GetObjectA(picture, sizeof info, &info)) return {};
  const int width = ArtSize(info.bmWidth, artScale), height = ArtSize(info.bmHeight, artScale);
  WindowDc screen(nullptr);
  UniqueMemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
  UniqueBitmap scaled(CreateCompatibleBitmap(screen.get(), width, height));
  if (!from || !to || !scaled) return {};
  SelectIn source(from.get(), picture), target(to.get(), scaled.get());
  SetStretchBltMode(to.get(), COLORONCOLOR);
  if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY)) return {};
  return scaled;
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace fw
