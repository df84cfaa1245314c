#pragma once
// Where the monitors are. Full-screen windows cover the virtual screen (every
// monitor); the picture stays on the primary monitor. Tests put a layout of
// their own in place of the system's to play monitors being added or removed.
#include <windows.h>

#include "framework/core/monitor_cover.h"

namespace fw {

struct ScreenLayout {
  RECT virtualScreen{};  // screen coordinates; its origin is negative when a monitor lies left of or above the primary
  RECT primary{};        // screen coordinates; on one monitor the same as virtualScreen
};

// The system's layout: the virtual-screen metrics and the primary monitor's rectangle.
ScreenLayout ReadScreenLayout();

// The layout in force: the system's, unless a test has put a source of its own.
using ScreenLayoutSource = ScreenLayout (*)();
ScreenLayout CurrentScreenLayout();
void SetScreenLayoutSource(ScreenLayoutSource source);  // nullptr: the system's again

// A saver's window over the monitors of the layout in force.
using ScreenCover = MonitorCover<RECT>;
ScreenCover CurrentMonitorCover();
// Puts the window over the monitors again after they changed; its place in
// the z-order and the activation stay.
void MoveOverMonitors(HWND window, const ScreenCover& cover);

inline int WidthOf(const RECT& r) { return r.right - r.left; }
inline int HeightOf(const RECT& r) { return r.bottom - r.top; }

}  // namespace fw
