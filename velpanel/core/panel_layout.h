#pragma once
// How big the control panel's window is and where it stands. Portable, so
// that both metric branches and the placement rule can be checked anywhere.

namespace velpanel {

struct Extent {
  int width = 0;
  int height = 0;
};

struct Position {
  int left = 0;
  int top = 0;
};

struct Area {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The desktop around the stored place.
struct Desktop {
  int monitorCount = 1;
  Extent screen;  // the primary monitor's size
  // The work area of the monitor the window at its stored place lies on most;
  // the primary's when it lies on none (its monitor was unplugged).
  Area workArea;
};

// The system's metrics that frame the toolbar.
struct FrameMetrics {
  int cxBorder = 0, cyBorder = 0;      // SM_CXBORDER, SM_CYBORDER
  int cxDlgFrame = 0, cyDlgFrame = 0;  // SM_CXDLGFRAME, SM_CYDLGFRAME
  int cySmallCaption = 0;              // SM_CYSMCAPTION
  int cyCaption = 0;                   // SM_CYCAPTION
  // Height of a self-drawn small caption's system-menu image; 0 without one.
  int smallCaptionImageHeight = 0;
};

// The window's size around the toolbar's content (the width of all items,
// the height of the last). Systems of version 4 and later frame a tool window;
// older ones a plain border around a small caption drawn by the frame.
Extent PanelWindowSize(Extent content, const FrameMetrics& metrics, bool newShell);

// The stored position, brought back only when it lies beyond the screen's
// right or bottom edge; a position on the edge or a negative one is kept.
Position PlacePanel(Position stored, Extent screen);

// One monitor: PlacePanel, as ever. Several: the whole window is kept inside
// the desktop's work area (its left and top edges first, when it is larger),
// so a place on a second monitor stays there and one on an unplugged monitor
// comes back onto the primary.
Position PlacePanel(Position stored, Extent window, const Desktop& desktop);

}  // namespace velpanel
