// Real input through the X server: xdotool, started from the Windows side as a
// Linux program and waited for, so the events are queued when a call returns.
// Every step aimed at a window first waits until that window takes input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "driver.h"

namespace e2e {

namespace {

// No --sync on moves: it waits for ever when the pointer is already there. The
// X server handles the events of one call in order, so a click after a move
// lands at the new place anyway.
void Xdotool(const std::string& arguments) { RunLinux("/usr/bin/xdotool " + arguments); }

std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

bool VisibleAndEnabled(HWND window) {
  HWND topLevel = GetAncestor(window, GA_ROOT);
  return IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window) &&
         (!topLevel || IsWindowEnabled(topLevel));
}

// Waits for the window, or records a test failure that names it: input given
// to a window that never got ready would be lost, and the test would only
// notice a missing effect much later.
bool Ready(HWND window) {
  if (WaitUntilReadyForInput(window)) return true;
  const WindowInfo info = Describe(window);
  ADD_FAILURE() << "window " << window << " (class '" << info.className << "', title '"
                << info.title << "', visible " << info.visible << ", enabled " << info.enabled
                << ") did not become ready for input";
  return false;
}

}  // namespace

bool WaitUntilReadyForInput(HWND window, milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto left = [&] {
    auto rest = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<DWORD>(std::max<long long>(rest.count(), 0));
  };
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId && processId != GetCurrentProcessId()) {
    // Once per process: done with its start-up and waiting for input.
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId)) {
      ::WaitForInputIdle(process, left());
      CloseHandle(process);
    }
  }
  do {
    if (!WaitUntil([&] { return VisibleAndEnabled(window); }, milliseconds(left()))) return false;
    // A message sent to the window is answered only when its thread is back in
    // its message loop: whatever it did when the window appeared is done, and
    // input queued from now on is handled after it. No SMTO_ABORTIFHUNG: on a
    // busy machine a slow thread would count as hung and fail at once.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, left(), &result)) return false;
  } while (!VisibleAndEnabled(window) && left() > 0);
  return VisibleAndEnabled(window);
}

void MoveMouseTo(int x, int y) { Xdotool("mousemove " + At(x, y)); }

void MoveMouseBy(int dx, int dy) {
  // "--" lets negative distances through the option parser.
  Xdotool("mousemove_relative -- " + At(dx, dy));
}

bool MoveMouseTo(HWND window, int x, int y) {
  if (!Ready(window)) return false;
  MoveMouseTo(x, y);
  return true;
}

bool MoveMouseBy(HWND window, int dx, int dy) {
  if (!Ready(window)) return false;
  MoveMouseBy(dx, dy);
  return true;
}

bool WaitForPointerAt(int x, int y, milliseconds timeout) {
  return WaitUntil(
      [x, y] {
        POINT at{};
        return GetCursorPos(&at) && at.x == x && at.y == y;
      },
      timeout);
}

namespace {

void ClickThere(int x, int y, int button) {
  Xdotool("mousemove " + At(x, y) + " click " + std::to_string(button));
}

}  // namespace

bool ClickAt(HWND window, int x, int y, int button) {
  if (!Ready(window)) return false;
  ClickThere(x, y, button);
  return true;
}

bool Click(HWND window, int button) {
  if (!Ready(window)) return false;
  // Where the window is once it is ready: a dialog may still move while it sets up.
  const POINT centre = CentreOf(window);
  ClickThere(centre.x, centre.y, button);
  return true;
}

bool PressButton(HWND window, int button) {
  if (!Ready(window)) return false;
  Xdotool("mousedown " + std::to_string(button));
  return true;
}

bool ReleaseButton(HWND window, int button) {
  if (!Ready(window)) return false;
  Xdotool("mouseup " + std::to_string(button));
  return true;
}

bool Drag(HWND window, const std::vector<POINT>& path, int button) {
  if (path.empty() || !Ready(window)) return false;
  std::string arguments = "mousemove " + At(path[0].x, path[0].y) + " mousedown " + std::to_string(button);
  for (size_t i = 1; i < path.size(); ++i) arguments += " mousemove " + At(path[i].x, path[i].y);
  Xdotool(arguments + " mouseup " + std::to_string(button));
  return true;
}

bool PressKeys(HWND window, const std::string& keys) {
  if (!Ready(window)) return false;
  Xdotool("key " + keys);
  return true;
}

}  // namespace e2e
