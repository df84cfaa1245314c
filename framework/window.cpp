#include "window.h"

#include <cstdlib>

#include "handles.h"

namespace fw {

namespace {

const char kWindowProp[] = "fw.Window";

// The object waiting for the next window created on this thread, in a
// thread-local slot of the system's: the compiler's thread_local would bring
// a POSIX threads layer into the programs.
DWORD PendingSlot() {
  static const DWORD slot = TlsAlloc();
  if (slot == TLS_OUT_OF_INDEXES) std::abort();
  return slot;
}

Window* Pending() {
  // TlsGetValue clears the thread's last error: a window's creation keeps its own.
  const DWORD error = GetLastError();
  Window* window = static_cast<Window*>(TlsGetValue(PendingSlot()));
  SetLastError(error);
  return window;
}

void SetPending(Window* window) { TlsSetValue(PendingSlot(), window); }

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    if (Window* self = Pending()) {
      SetPending(nullptr);
      self->Subclass(reinterpret_cast<HWND>(wParam));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

Window::~Window() {
  if (hwnd_) Unbind();
}

const char* Window::DefaultClassName() { return RegisterPlainClass("FwWindow"); }

const char* Window::RegisterClassOnce(const char* name, UINT style, HCURSOR cursor, HBRUSH background,
                                     WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (GetClassInfoA(instance, name, &wc)) return name;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassA(&wc) ? name : nullptr;
}

const char* Window::RegisterPlainClass(const char* name) {
  return RegisterClassOnce(name, CS_DBLCLKS, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr);
}

bool Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                    const RECT& rect, HWND parent, UINT idOrMenu) {
  if (!className) className = DefaultClassName();
  if (hwnd_) return false;
  BindNextWindow binding(this);
  HWND hwnd = CreateWindowExA(exStyle, className, title, style, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(idOrMenu)),
                              GetModuleHandleA(nullptr), nullptr);
  return hwnd != nullptr;
}

bool Window::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
  Bind(hwnd);
  superProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure)));
  return true;
}

Window* Window::FromHandle(HWND hwnd) {
  return static_cast<Window*>(GetPropA(hwnd, kWindowProp));
}

void Window::Bind(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropA(hwnd, kWindowProp, this);
}

void Window::Unbind() {
  if (superProc_) {
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
  }
  RemovePropA(hwnd_, kWindowProp);
  hwnd_ = nullptr;
}

BindNextWindow::BindNextWindow(Window* window)
    : previous_(Pending()),
      hook_(SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId())) {
  SetPending(window);
}

BindNextWindow::~BindNextWindow() {
  if (hook_) UnhookWindowsHookEx(hook_);
  SetPending(previous_);
}

bool WindowHost::RouteCommand(Message& msg) {
  Handler h = FindHandler(msg);
  if (!h) return false;
  (this->*h)(msg);
  return true;
}

LRESULT Window::Default() {
  const Message& m = *current_;
  if (superProc_) return CallWindowProcA(superProc_, m.hwnd, m.message, m.wParam, m.lParam);
  return DefWindowProcA(m.hwnd, m.message, m.wParam, m.lParam);
}

LRESULT Window::DefaultProcessing(Message& msg) {
  // Menu and accelerator commands nobody here handles go to the application.
  if (msg.message == WM_COMMAND && msg.lParam == 0) {
    if (host_ && host_->RouteCommand(msg)) return 0;
  }
  return Default();
}

LRESULT Window::Dispatch(Message& msg) {
  const Message* outer = current_;
  current_ = &msg;
  LRESULT result;
  if (Handler h = FindHandler(msg))
    result = (this->*h)(msg);
  else
    result = DefaultProcessing(msg);
  current_ = outer;
  return result;
}

void Window::PostNcDestroy() {
  if (selfDeleting_) delete this;
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = Window::FromHandle(hwnd);
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  Message msg{hwnd, message, wParam, lParam};
  ++self->dispatchDepth_;
  LRESULT result = self->Dispatch(msg);
  --self->dispatchDepth_;
  if (message == WM_NCDESTROY) {
    // The window is gone: unbind and let its host (the application, for its
    // main window) forget it.
    self->Unbind();
    self->destroyed_ = true;
    if (WindowHost* host = self->host_) {
      self->host_ = nullptr;
      host->WindowDestroyed(self);
    }
  }
  // A window destroyed from inside one of its own handlers lets its object go
  // only once that handler has returned.
  if (self->destroyed_ && self->dispatchDepth_ == 0) {
    self->destroyed_ = false;
    self->PostNcDestroy();
  }
  return result;
}

std::string ProgramTitle() {
  if (std::string title = LoadResourceString(kIdsProgramTitle); !title.empty()) return title;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  std::string base(name);
  if (auto dot = base.rfind('.'); dot != std::string::npos) base.erase(dot);
  return base;
}

std::string LoadResourceString(UINT id) {
  char buffer[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

std::string SystemErrorText(DWORD error) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                 nullptr);
  UniqueLocalMemory owned(text);
  return text ? std::string(text) : "Error " + std::to_string(error);
}

}  // namespace fw
