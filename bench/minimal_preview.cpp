// The smallest honest preview, the yardstick for velora's: one child window
// over the client area of the window whose handle follows the letter p,
// painted black once. No resources, no settings, no playlist file, no
// framework. Usage: minimal_preview.exe /p <window handle>
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      PatBlt(dc, 0, 0, client.right, client.bottom, BLACKNESS);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const char* p = std::strchr(commandLine, 'p');
  HWND parent = p ? reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(p + 1, nullptr, 10))) : nullptr;
  if (!parent || !IsWindow(parent)) return 0;
  RECT client;
  GetClientRect(parent, &client);

  WNDCLASSA wc{};
  wc.lpfnWndProc = PreviewProc;
  wc.hInstance = instance;
  wc.lpszClassName = "MinimalPreview";
  RegisterClassA(&wc);
  if (!CreateWindowExA(0, wc.lpszClassName, "Minimal Preview", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                       client.bottom, parent, reinterpret_cast<HMENU>(1), instance, nullptr))
    return 0;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
