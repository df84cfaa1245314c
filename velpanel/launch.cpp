#include "velpanel/launch.h"

#include <atomic>

#include "framework/message_map.h"
#include "framework/window.h"
#include "velpanel/resources/resource_ids.h"

namespace velpanel {

namespace {

struct LaunchState {
  std::atomic<int> runningCommand{0};  // 0, or the id of the command whose program runs
  HANDLE process = nullptr;            // the started program, owned by the worker
  HWND window = nullptr;               // where the worker posts the refresh
};

// Process-wide: a worker may outlive the window, never the process.
LaunchState launchState;
BOOL savedScreenSaveActive = FALSE;

class SystemStarter : public ProcessStarter {
 public:
  BOOL Start(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
             LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags, LPVOID environment,
             LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION started) override {
    return CreateProcessA(application, commandLine, processSecurity, threadSecurity, inheritHandles, flags,
                          environment, directory, startup, started);
  }
};

const LaunchCommand kCommands[] = {
    {ID_CONFIG, "Velora.scr -c", NORMAL_PRIORITY_CLASS, false},
    {ID_PLAY, "Velora.scr -v", NORMAL_PRIORITY_CLASS, true},
    {ID_ACTIVATE, "Velora.scr -s", IDLE_PRIORITY_CLASS, true},
};

void RestoreAfter(int command) {
  const LaunchCommand* launched = FindLaunchCommand(command);
  if (launched && launched->savesScreenSaver) SetScreenSaveActive(savedScreenSaveActive);
}

// Puts back the flag, releases the process and clears the state, in this order.
void EndLaunch() {
  RestoreAfter(launchState.runningCommand.load(std::memory_order_relaxed));
  CloseHandle(launchState.process);
  launchState.process = nullptr;
  launchState.runningCommand.store(0, std::memory_order_release);
}

DWORD WINAPI WatchLaunch(void*) {
  WaitForSingleObject(launchState.process, INFINITE);
  // Taken before the state is cleared: from then on a new launch may fill it.
  HWND window = launchState.window;
  EndLaunch();
  PostMessageA(window, WM_IDLEUPDATECMDUI, TRUE, 0);
  return 0;
}

// Answers 0, or the system's error code; on success the caller owns the handles.
DWORD StartProgram(ProcessStarter& starter, const LaunchCommand& command, PROCESS_INFORMATION* started) {
  // The system may write into the command line it is given.
  char commandLine[40];
  lstrcpynA(commandLine, command.commandLine, sizeof commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!starter.Start(nullptr, commandLine, nullptr, nullptr, FALSE, command.priorityClass, nullptr, nullptr,
                     &startup, started))
    return GetLastError();
  return 0;
}

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static SystemStarter starter;
  return starter;
}

int RunningCommand() { return launchState.runningCommand.load(std::memory_order_acquire); }

const LaunchCommand* FindLaunchCommand(int id) {
  for (const LaunchCommand& command : kCommands)
    if (command.id == id) return &command;
  return nullptr;
}

DWORD Launch(ProcessStarter& starter, const LaunchCommand& command, HWND window) {
  PROCESS_INFORMATION started{};
  if (DWORD error = StartProgram(starter, command, &started)) return error;
  CloseHandle(started.hThread);

  if (command.savesScreenSaver) {
    savedScreenSaveActive = ScreenSaveActive();
    SetScreenSaveActive(FALSE);
  }
  launchState.process = started.hProcess;
  launchState.window = window;
  launchState.runningCommand.store(command.id, std::memory_order_relaxed);
  // Nothing waits for the worker: its handle is not needed.
  HANDLE worker = CreateThread(nullptr, 0, &WatchLaunch, nullptr, 0, nullptr);
  if (worker)
    CloseHandle(worker);
  else
    EndLaunch();  // the program runs on, unwatched; the panel stays usable
  return 0;
}

DWORD StartUnwatched(ProcessStarter& starter, const LaunchCommand& command) {
  PROCESS_INFORMATION started{};
  if (DWORD error = StartProgram(starter, command, &started)) return error;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return 0;
}

void ShowStartError(HWND owner, const char* caption, DWORD error) {
  MessageBoxA(owner, fw::SystemErrorText(error).c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
}

BOOL ScreenSaveActive() {
  BOOL active = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  return active;
}

void SetScreenSaveActive(BOOL active) {
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(active), nullptr, 0);
}

}  // namespace velpanel
