#pragma once
// The application object: start-up, the message loop with idle-time work, the
// message-filter hook through which modal loops pass, the main window, the
// per-user registry settings and the application's own command table.
#include <windows.h>

#include <memory>
#include <string>

#include "ctl3d.h"
#include "idle_watch.h"
#include "registry_settings.h"
#include "window.h"

namespace fw {

class App : public WindowHost {
 public:
  App();
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Windows 95 / NT 4 or later: the system's major version is 4 or more.
  static bool SystemHasNewShell();

  // Runs the program: InitInstance, then the message loop if it asked for one,
  // then ExitInstance. Returns the exit code the loop's quit message carried,
  // 0 when there was no loop.
  int Run(HINSTANCE instance, const char* commandLine);

  HINSTANCE Instance() const { return instance_; }
  const char* CommandLine() const { return commandLine_; }
  // The application's title: ProgramTitle(), unless the program names itself.
  const std::string& AppName() const { return appName_; }

  // A message box captioned with the application's name, owned by the main window.
  int ShowMessage(const char* text, UINT type) const;

  Window* MainWindow() const { return mainWindow_; }
  // The window whose end ends the message loop; it routes the commands it
  // does not handle to the application.
  void SetMainWindow(Window* window);

  // The system's message-filter hook calls this for every message of a modal
  // loop (dialog boxes, menus). Answer true when the message was handled.
  virtual bool ProcessMessageFilter(int code, MSG* msg);

  void WindowDestroyed(Window* window) override;

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
  IdleWatch idleWatch_;
  HHOOK filterHook_ = nullptr;
  std::unique_ptr<RegistrySettings> settings_;
  std::unique_ptr<Ctl3dLook> ctl3d_;
};

}  // namespace fw
