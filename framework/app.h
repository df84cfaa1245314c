#pragma once
// The application object: start-up, the message loop with idle-time work, the
// message-filter hook through which modal loops pass, the main window, the
// per-user registry settings and the application's own command table.
#include <windows.h>

#include <memory>
#include <string>

#include "ctl3d.h"
#include "message_map.h"
#include "registry_settings.h"

namespace fw {

class Window;

class App : public CmdTarget {
 public:
  App();
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  static App* Current();

  // Windows 95 / NT 4 or later: the system's major version is 4 or more.
  static bool SystemHasNewShell();

  // Runs the program: InitInstance, then the message loop if it asked for one,
  // then ExitInstance. Returns the exit code the loop's quit message carried,
  // 0 when there was no loop.
  int Run(HINSTANCE instance, const char* commandLine);

  HINSTANCE Instance() const { return instance_; }
  const char* CommandLine() const { return commandLine_; }
  // The application's title, string kIdsAppTitle, for programs that have one;
  // else the program file's name without directory and extension.
  const std::string& AppName() const { return appName_; }
  static constexpr UINT kIdsAppTitle = 0xE000;

  // A message box captioned with the application's name, owned by the main window.
  int ShowMessage(const char* text, UINT type) const;

  Window* MainWindow() const { return mainWindow_; }
  void SetMainWindow(Window* window) { mainWindow_ = window; }

  // The system's message-filter hook calls this for every message of a modal
  // loop (dialog boxes, menus). Answer true when the message was handled.
  virtual bool ProcessMessageFilter(int code, MSG* msg);

  // Offers a menu or accelerator command nobody else handled to the application.
  bool RouteCommand(Message& msg);

  // Called when a window bound to the framework has received its last message.
  void WindowDestroyed(Window* window);

  // Whether a message the loop has just dispatched may have changed what the
  // idle work shows (a button's state), so that it must run again. Paints,
  // the system's caret timer and a pointer move to where the pointer already
  // was change nothing; everything else may, a timer tick included.
  bool IsIdleMessage(const MSG& msg);

 protected:
  // Answer true to run the message loop.
  virtual bool InitInstance() = 0;
  virtual void ExitInstance();
  // Idle-time work between messages; answer true to be called again. The
  // first call asks the main window to bring its buttons' states up to date.
  virtual bool OnIdle(long count);

  void SetAppName(std::string name) { appName_ = std::move(name); }
  // All per-user settings live under HKCU\Software\<company>\<application>.
  void SetRegistryKey(const char* company);
  RegistrySettings& Settings() { return *settings_; }
  void Enable3dControls();

 private:
  int MessageLoop();

  HINSTANCE instance_ = GetModuleHandleA(nullptr);
  const char* commandLine_ = "";
  std::string appName_;
  Window* mainWindow_ = nullptr;
  bool inMessageLoop_ = false;
  // The last pointer move the loop saw, to tell a real move from a repeat.
  UINT lastMouseMessage_ = 0;
  POINT lastMousePoint_{-1, -1};
  HHOOK filterHook_ = nullptr;
  std::unique_ptr<RegistrySettings> settings_;
  std::unique_ptr<Ctl3dLook> ctl3d_;
};

}  // namespace fw
