#pragma once
// Where the monitors are. Full-screen windows cover the virtual screen (every
// monitor); the picture stays on the primary monitor.
#include <windows.h>

#include "framework/core/monitor_cover.h"

namespace fw {

struct ScreenLayout {
  RECT virtualScreen{};  // screen coordinates; its origin is negative when a monitor lies left of or above the primary
  RECT primary{};        // screen coordinates; on one monitor the same as virtualScreen
};

// The system's layout: the virtual-screen metrics and the primary monitor's rectangle.
ScreenLayout ReadScreenLayout();

// Where a saver asks for the layout: ReadScreenLayout, or in tests a source
// that plays monitors being added or removed.
using ScreenLayoutSource = ScreenLayout (*)();

// A saver's window over the monitors of a layout.
using ScreenCover = MonitorCover<RECT>;
ScreenCover CoverOf(const ScreenLayout& layout);
// Puts the window over the monitors again after they changed; its place in
// the z-order and the activation stay.
void MoveOverMonitors(HWND window, const ScreenCover& cover);

inline int WidthOf(const RECT& r) { return r.right - r.left; }
inline int HeightOf(const RECT& r) { return r.bottom - r.top; }

}  // namespace fw
