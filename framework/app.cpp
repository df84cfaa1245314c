#include "app.h"

#include <cstring>

#include "delayed_libraries.h"

namespace fw {

namespace {

// The message-filter hook has no context of its own: it reaches the
// application that set it through this.
App* current = nullptr;

LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  // Negative codes belong to the hook chain; the others are offered first.
  if (code >= 0 && current && current->ProcessMessageFilter(code, reinterpret_cast<MSG*>(lParam)))
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

App::App() { current = this; }

App::~App() {
  if (current == this) current = nullptr;
}

bool App::SystemHasNewShell() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwMajorVersion >= 4;
}

int App::Run(HINSTANCE instance, const char* commandLine) {
  instance_ = instance;
  commandLine_ = commandLine ? commandLine : "";
  if (appName_.empty()) appName_ = ProgramTitle();
  SetDelayedLibraryCaption(appName_);
  settings_ = std::make_unique<RegistrySettings>("", appName_);
  filterHook_ = SetWindowsHookExA(WH_MSGFILTER, &MessageFilterHook, nullptr, GetCurrentThreadId());
  const int exitCode = InitInstance() ? MessageLoop() : 0;
  ExitInstance();
  if (filterHook_) UnhookWindowsHookEx(filterHook_);
  filterHook_ = nullptr;
  return exitCode;
}

int App::MessageLoop() {
  // A main window that went before the loop began leaves nothing to wait for.
  if (!mainWindow_) return 0;
  inMessageLoop_ = true;
  MSG msg;
  bool idle = true;
  long idleCount = 0;
  for (;;) {
    while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    do {
      if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        inMessageLoop_ = false;
        return static_cast<int>(msg.wParam);
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (idleWatch_.MayChangeWhatIdleShows(msg)) {
        idle = true;
        idleCount = 0;
      }
    } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }
}

void App::ExitInstance() {
  if (Window* window = mainWindow_) {
    SetMainWindow(nullptr);
    if (window->hwnd()) DestroyWindow(window->hwnd());
  }
  ctl3d_.reset();
}

bool App::OnIdle(long count) {
  if (count == 0 && mainWindow_ && mainWindow_->hwnd())
    SendMessageA(mainWindow_->hwnd(), WM_IDLEUPDATECMDUI, TRUE, 0);
  return false;
}

int App::ShowMessage(const char* text, UINT type) const {
  HWND owner = mainWindow_ ? mainWindow_->hwnd() : nullptr;
  return MessageBoxA(owner, text, appName_.c_str(), type);
}

bool App::ProcessMessageFilter(int, MSG*) { return false; }

void App::SetMainWindow(Window* window) {
  if (mainWindow_ && mainWindow_ != window) mainWindow_->ReportTo(nullptr);
  mainWindow_ = window;
  if (window) window->ReportTo(this);
}

void App::WindowDestroyed(Window* window) {
  if (window != mainWindow_) return;
  mainWindow_ = nullptr;
  // Without its main window the program has nothing left to do. Only the loop
  // is ended this way: a modal main window (the setup dialog) ends by itself,
  // and a quit left in the queue would cut short the next modal loop.
  if (inMessageLoop_) PostQuitMessage(0);
}

void App::SetRegistryKey(const char* company) {
  settings_ = std::make_unique<RegistrySettings>(company, appName_);
}

void App::Enable3dControls() {
  if (!ctl3d_) ctl3d_ = std::make_unique<Ctl3dLook>(instance_);
}

}  // namespace fw
