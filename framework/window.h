#pragma once
// A thin object over an HWND with a message table. The object is bound to its
// window from the first message (WM_NCCREATE) to the last (WM_NCDESTROY);
// objects marked self-deleting free themselves after that last message.
#include <windows.h>

#include <string>

#include "message_map.h"

namespace fw {

class Window;

// Whom a window reports to, once it is made a program's main window (the
// application): the menu commands and button states nobody in the window
// answers for, and the window's end.
class WindowHost : public CmdTarget {
 public:
  // Runs the host's handler for a command; false when it has none.
  bool RouteCommand(Message& msg);
  // The window has received its last message.
  virtual void WindowDestroyed(Window* window) = 0;
};

class Window : public CmdTarget {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window() override;

  HWND hwnd() const { return hwnd_; }
  operator HWND() const { return hwnd_; }

  // The framework's default class for child and plain windows.
  static const char* DefaultClassName();
  // Registers a class of this program once (a second call finds it) and
  // answers its name, or null when it cannot be registered. Its windows are
  // plain ones unless a procedure is given.
  static const char* RegisterClassOnce(const char* name, UINT style, HCURSOR cursor, HBRUSH background,
                                       WNDPROC procedure = DefWindowProcA);
  // Double-click notification, arrow cursor, no background, no icon.
  static const char* RegisterPlainClass(const char* name);

  bool Create(DWORD exStyle, const char* className, const char* title, DWORD style,
              const RECT& rect, HWND parent, UINT idOrMenu);

  // Takes over an existing window (a control's edit box, say) until it is destroyed.
  bool Subclass(HWND hwnd);

  // The window object bound to a window, if the framework created or subclassed it.
  static Window* FromHandle(HWND hwnd);

  void PostClose() const { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

  // From now on commands nobody here handles, and the window's end, go to the host.
  void ReportTo(WindowHost* host) { host_ = host; }
  WindowHost* Host() const { return host_; }

  // From now on the object frees itself after its window is destroyed. Owners
  // call it once creation succeeded, so a failed creation leaves them the object.
  Window* SelfDeleting() {
    selfDeleting_ = true;
    return this;
  }

 protected:
  // The default processing of the message being handled: the subclassed
  // procedure or DefWindowProc.
  virtual LRESULT Default();

  // After WM_NCDESTROY: frees the object when it is self-deleting.
  virtual void PostNcDestroy();

  // What to do with a message no table handles.
  virtual LRESULT DefaultProcessing(Message& msg);
  LRESULT Dispatch(Message& msg);

  const Message* CurrentMessage() const { return current_; }

  friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
  friend class Dialog;

 private:
  void Bind(HWND hwnd);
  void Unbind();

  HWND hwnd_ = nullptr;
  WindowHost* host_ = nullptr;
  WNDPROC superProc_ = nullptr;  // the procedure a subclassed window had
  const Message* current_ = nullptr;
  bool selfDeleting_ = false;
  int dispatchDepth_ = 0;   // handlers of this window now running
  bool destroyed_ = false;  // its window is gone, the object not yet released
};

// Binds the next window that this thread creates (CreateWindowEx, a dialog
// box) to an object, before that window's first message, whatever its class.
class BindNextWindow {
 public:
  explicit BindNextWindow(Window* window);
  ~BindNextWindow();
  BindNextWindow(const BindNextWindow&) = delete;
  BindNextWindow& operator=(const BindNextWindow&) = delete;

 private:
  Window* previous_;
  HHOOK hook_;
};

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Text of a string resource of the running program.
std::string LoadResourceString(UINT id);
// The program's title, string kIdsProgramTitle, for programs that have one;
// else the program file's name without directory and extension.
std::string ProgramTitle();
constexpr UINT kIdsProgramTitle = 0xE000;
// The system's text for an error code in the user's language, or "Error <n>"
// when the system has none.
std::string SystemErrorText(DWORD error);

}  // namespace fw
