// Real input through the X server: xdotool, started from the Windows side as a
// Linux program and waited for, so the events are queued when a call returns.
#include <string>

#include "driver.h"

namespace e2e {

namespace {

// No --sync on moves: it waits for ever when the pointer is already there. The
// X server handles the events of one call in order, so a click after a move
// lands at the new place anyway.
void Xdotool(const std::string& arguments) { RunLinux("/usr/bin/xdotool " + arguments); }

}  // namespace

void MoveMouseTo(int x, int y) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
}

bool WaitForPointerAt(int x, int y, milliseconds timeout) {
  return WaitUntil(
      [x, y] {
        POINT at{};
        return GetCursorPos(&at) && at.x == x && at.y == y;
      },
      timeout);
}

void MoveMouseBy(int dx, int dy) {
  // "--" lets negative distances through the option parser.
  Xdotool("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
}

void ClickAt(int x, int y, int button) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
          std::to_string(button));
}

void PressButton(int button) { Xdotool("mousedown " + std::to_string(button)); }

void ReleaseButton(int button) { Xdotool("mouseup " + std::to_string(button)); }

void Click(HWND window, int button) {
  POINT centre = CentreOf(window);
  ClickAt(centre.x, centre.y, button);
}

void PressKeys(const std::string& keys) { Xdotool("key " + keys); }

}  // namespace e2e
