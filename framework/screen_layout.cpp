#include "framework/screen_layout.h"

namespace fw {

ScreenLayout ReadScreenLayout() {
  ScreenLayout layout;
  layout.primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) layout.primary = info.rcMonitor;
  const RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  // A system without the virtual-screen metrics answers 0 (an empty rectangle,
  // which the union leaves out): then the primary is all there is.
  UnionRect(&layout.virtualScreen, &all, &layout.primary);
  return layout;
}

ScreenCover CoverOf(const ScreenLayout& layout) { return CoverMonitors(layout.virtualScreen, layout.primary); }

void MoveOverMonitors(HWND window, const ScreenCover& cover) {
  const RECT& all = cover.window;
  SetWindowPos(window, nullptr, all.left, all.top, WidthOf(all), HeightOf(all), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fw
