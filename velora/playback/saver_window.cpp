#include "velora/playback/saver_window.h"

#include <windowsx.h>

namespace velora {

FW_BEGIN_MESSAGE_MAP(SaverWindow, PlayerWindow)
  FW_ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
  FW_ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  FW_ON_MESSAGE(WM_NCACTIVATE, OnNcActivate)
  FW_ON_MESSAGE(WM_ACTIVATE, OnActivate)
  FW_ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
  FW_ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
  FW_ON_MESSAGE(WM_LBUTTONDOWN, OnInput)
  FW_ON_MESSAGE(WM_MBUTTONDOWN, OnInput)
  FW_ON_MESSAGE(WM_RBUTTONDOWN, OnInput)
  FW_ON_MESSAGE(WM_KEYDOWN, OnInput)
  FW_ON_MESSAGE(WM_SYSKEYDOWN, OnInput)
  FW_ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
FW_END_MESSAGE_MAP()

LRESULT SaverWindow::OnSysCommand(fw::Message& msg) {
  // Neither another saver nor a close through the system menu while this one runs.
  UINT command = static_cast<UINT>(msg.wParam & 0xFFF0);
  if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
  return Default();
}

LRESULT SaverWindow::OnSetCursor(fw::Message&) {
  SetCursor(nullptr);
  return TRUE;
}

LRESULT SaverWindow::OnNcActivate(fw::Message& msg) {
  if (!msg.wParam) return FALSE;
  return Default();
}

// A movie device's own video window (Wine's MPEG video device makes it on a
// thread of this process) may take the activation for a moment as a movie
// starts. That is no user's doing, and must not end the saver.
namespace {

bool OfThisProcess(HWND window) {
  DWORD process = 0;
  return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

BOOL CALLBACK FindWindowOfThisProcess(HWND window, LPARAM found) {
  if (!OfThisProcess(window)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool ThreadOfThisProcess(DWORD thread) {
  bool found = false;
  if (thread) EnumThreadWindows(thread, FindWindowOfThisProcess, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

LRESULT SaverWindow::OnActivate(fw::Message& msg) {
  if (LOWORD(msg.wParam) == WA_INACTIVE && !OfThisProcess(reinterpret_cast<HWND>(msg.lParam))) PostClose();
  return 0;
}

LRESULT SaverWindow::OnActivateApp(fw::Message& msg) {
  if (!msg.wParam && !ThreadOfThisProcess(static_cast<DWORD>(msg.lParam))) PostClose();
  return 0;
}

LRESULT SaverWindow::OnMouseMove(fw::Message& msg) {
  // The first report comes when the window appears under the pointer.
  if (lastMouse.Moved(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam))) PostClose();
  return 0;
}

LRESULT SaverWindow::OnInput(fw::Message&) {
  PostClose();
  return 0;
}

LRESULT SaverWindow::OnDisplayChange(fw::Message& msg) {
  RECT before{}, after{};
  GetWindowRect(hwnd(), &before);
  LRESULT result = PlayerWindow::OnDisplayChange(msg);
  GetWindowRect(hwnd(), &after);
  // The pointer has not moved because the window did.
  lastMouse.FollowWindowOrigin(after.left - before.left, after.top - before.top);
  return result;
}

}  // namespace velora
