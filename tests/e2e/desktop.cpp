// Windows of other processes as seen from outside: finding, describing,
// message boxes, and a host window that other processes can own or parent to.
#include <algorithm>
#include <cstdio>

#include "driver.h"

namespace e2e {

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  // Never sends a message to the window: it works while the owner is busy.
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

WindowInfo Describe(HWND window) {
  WindowInfo info;
  info.hwnd = window;
  info.className = ClassOf(window);
  info.title = TextOf(window);
  GetWindowRect(window, &info.rect);
  info.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  info.visible = IsWindowVisible(window) != FALSE;
  info.enabled = IsWindowEnabled(window) != FALSE;
  return info;
}

namespace {

struct EnumRequest {
  DWORD processId;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
  auto* request = reinterpret_cast<EnumRequest*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == request->processId && (!request->visibleOnly || IsWindowVisible(window)))
    request->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
  EnumRequest request{processId, visibleOnly, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND WaitForWindow(DWORD processId, const std::string& className, const std::string& title,
                   milliseconds timeout) {
  HWND match = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(processId)) {
          if ((className.empty() || ClassOf(window) == className) &&
              (title.empty() || TextOf(window) == title)) {
            match = window;
            return true;
          }
        }
        return false;
      },
      timeout);
  return match;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

namespace {

GUITHREADINFO ThreadInfoOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info;
}

}  // namespace

HWND FocusOfThreadOf(HWND window) { return ThreadInfoOf(window).hwndFocus; }

HWND ActiveOfThreadOf(HWND window) { return ThreadInfoOf(window).hwndActive; }

POINT CentreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

const char* ToString(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Information: return "information";
    case BoxIcon::Exclamation: return "exclamation";
    case BoxIcon::Error: return "error";
    case BoxIcon::Question: return "question";
    case BoxIcon::Unknown: break;
  }
  return "unknown";
}

MessageBoxInfo ReadMessageBox(HWND box, milliseconds iconTimeout) {
  MessageBoxInfo info;
  info.caption = TextOf(box);
  HWND iconControl = nullptr;
  for (HWND child : ChildWindows(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::string kind = ClassOf(child);
    if (lstrcmpiA(kind.c_str(), "Static") == 0) {
      if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        iconControl = child;
      else if (info.text.empty())
        info.text = TextOf(child);
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
      std::string caption = TextOf(child);
      caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
      info.buttons.push_back(caption);
    }
  }
  if (iconControl) {
    // The box may not be painted yet when it first shows: look until it is.
    info.icon = BoxIcon::Unknown;
    WaitUntil(
        [&] {
          info.icon = RecogniseIcon(Screenshot::TakeRoot(), ClientRectOnScreen(iconControl));
          return info.icon != BoxIcon::Unknown;
        },
        iconTimeout, milliseconds(100));
  }
  return info;
}

namespace {

const char kHostClass[] = "E2eHostWindow";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

struct HostStart {
  int x, y, width, height;
  bool visible;
  HANDLE ready;
  HWND hwnd;
};

DWORD WINAPI HostThread(void* parameter) {
  auto* start = static_cast<HostStart*>(parameter);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kHostClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  HWND window = CreateWindowExA(0, kHostClass, "e2e host",
                                WS_POPUP | (start->visible ? WS_VISIBLE : 0), start->x, start->y,
                                start->width, start->height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  start->hwnd = window;
  SetEvent(start->ready);
  if (!window) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

HostWindow::HostWindow() { Start(0, 0, 1, 1, false); }

HostWindow::HostWindow(int x, int y, int width, int height) { Start(x, y, width, height, true); }

void HostWindow::Start(int x, int y, int width, int height, bool visible) {
  HostStart start{x, y, width, height, visible, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                  nullptr};
  thread_ = CreateThread(nullptr, 0, HostThread, &start, 0, &threadId_);
  if (thread_) WaitForSingleObject(start.ready, 10000);
  CloseHandle(start.ready);
  hwnd_ = start.hwnd;
}

HostWindow::~HostWindow() {
  if (!thread_) return;
  if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(thread_, 5000) != WAIT_OBJECT_0) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
}

std::string HostWindow::HandleText() const {
  return std::to_string(reinterpret_cast<UINT_PTR>(hwnd_));
}

HWND StaleWindowHandle() {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(window);
  return window;
}

}  // namespace e2e
