// The smallest honest movie player, the yardstick for velora's start-up:
// a black, topmost, full-screen popup that plays one movie, centred at its
// own size, through the string form of MCI. No settings, no playlist file,
// no framework. Usage: minimal_player.exe [/type DEVICE] <movie path>
// With a device type (MPEGVideo for an MP4 file) it opens the file on that
// device and draws in a child window at the movie's place, from 0, 0, which
// Wine's MPEG device places right (it reads a destination as two corners).
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      mciSendStringA("close m", nullptr, 0, nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The movie path is the whole command line, quotes removed.
void MoviePath(const char* commandLine, char* path, size_t size) {
  while (*commandLine == ' ') ++commandLine;
  size_t n = 0;
  for (; *commandLine && n + 1 < size; ++commandLine)
    if (*commandLine != '"') path[n++] = *commandLine;
  while (n > 0 && path[n - 1] == ' ') --n;
  path[n] = '\0';
}

// "/type DEVICE rest": the device type, and the command line after it.
const char* DeviceType(const char* commandLine, char* type, size_t size) {
  while (*commandLine == ' ') ++commandLine;
  type[0] = '\0';
  if (std::strncmp(commandLine, "/type ", 6) != 0) return commandLine;
  commandLine += 6;
  size_t n = 0;
  for (; *commandLine && *commandLine != ' ' && n + 1 < size; ++commandLine) type[n++] = *commandLine;
  type[n] = '\0';
  return commandLine;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  char type[32], path[MAX_PATH];
  MoviePath(DeviceType(commandLine, type, sizeof type), path, sizeof path);

  WNDCLASSA wc{};
  wc.lpfnWndProc = PlayerProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "MinimalPlayer";
  RegisterClassA(&wc);
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Minimal player",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, screenW, screenH, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;

  char command[MAX_PATH + 64];
  if (type[0])
    std::snprintf(command, sizeof command, "open \"%s\" type %s alias m", path, type);
  else
    std::snprintf(command, sizeof command, "open \"%s\" alias m", path);
  if (mciSendStringA(command, nullptr, 0, nullptr) != 0) return 1;

  // Centred at the movie's own size, like velora with Center set.
  char source[64] = "";
  int left = 0, top = 0, width = 0, height = 0;
  mciSendStringA("where m source", source, sizeof source, nullptr);
  std::sscanf(source, "%d %d %d %d", &left, &top, &width, &height);
  int x = (screenW - width) / 2, y = (screenH - height) / 2;
  HWND target = window;
  if (type[0]) {
    target = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SS_BLACKRECT, x, y,
                             width, height, window, nullptr, instance, nullptr);
    UpdateWindow(target);  // black before the device draws, never after
    x = y = 0;
  }
  std::snprintf(command, sizeof command, "window m handle %llu",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(target)));
  mciSendStringA(command, nullptr, 0, nullptr);
  std::snprintf(command, sizeof command, "put m destination at %d %d %d %d", x, y, width, height);
  mciSendStringA(command, nullptr, 0, nullptr);
  mciSendStringA("play m", nullptr, 0, nullptr);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
