// What the benchmark watchers share: a millisecond clock, the colour at a
// screen point, the target process and its windows.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timing.h"

namespace bench {

inline bool ParseColour(const char* text, COLORREF& colour) {
  char* end = nullptr;
  unsigned long rgb = std::strtoul(text, &end, 16);
  if (!end || *end || end == text || rgb > 0xFFFFFF) return false;
  colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  return true;
}

// The codec does not reproduce a flat colour exactly.
inline bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// One pixel of what the screen shows, read through the desktop's DC.
class ScreenPixel {
 public:
  ScreenPixel()
      : dc_(GetDC(nullptr)),
        x_(GetSystemMetrics(SM_CXSCREEN) / 2),
        y_(GetSystemMetrics(SM_CYSCREEN) / 2) {}
  ~ScreenPixel() { ReleaseDC(nullptr, dc_); }
  ScreenPixel(const ScreenPixel&) = delete;
  ScreenPixel& operator=(const ScreenPixel&) = delete;

  COLORREF Read() const { return GetPixel(dc_, x_, y_); }
  int x() const { return x_; }
  int y() const { return y_; }

 private:
  HDC dc_;
  int x_, y_;
};

// A program the watcher started; ended on destruction, by its own handle.
class Target {
 public:
  explicit Target(const std::string& commandLine) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      handle_ = info.hProcess;
      id_ = info.dwProcessId;
    }
  }
  ~Target() { End(); }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  bool Started() const { return handle_ != nullptr; }
  HANDLE handle() const { return handle_; }
  DWORD id() const { return id_; }
  bool Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

  // Whether the process shows a top-level window yet.
  bool HasVisibleWindow() const {
    Search search{id_, false};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void End() {
    if (!handle_) return;
    if (Running()) TerminateProcess(handle_, 0);
    WaitForSingleObject(handle_, 10000);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  struct Search {
    DWORD id;
    bool found;
  };

  static BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->id || !IsWindowVisible(window)) return TRUE;
    search->found = true;
    return FALSE;
  }

  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Waits, polling every millisecond, until the screen point stops showing a
// colour (the previous run's window is gone); false on timeout.
inline bool WaitUntilNot(const ScreenPixel& pixel, COLORREF colour, int tolerance, double timeoutMs) {
  const double deadline = NowMs() + timeoutMs;
  while (Near(pixel.Read(), colour, tolerance)) {
    if (NowMs() > deadline) return false;
    Sleep(1);
  }
  return true;
}

inline void PrintColour(const char* label, COLORREF c) {
  std::printf("%s%02x%02x%02x\n", label, GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace bench
