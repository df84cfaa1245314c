#pragma once
// Starting velora's modes as separate processes and watching each until it
// ends, and the system's screen-saver flag that Play and Activate switch off
// meanwhile.
//
// The window thread and the worker that watches a started program share the
// launch state (launch.cpp). Its order of writes carries the protocol: the
// window thread completes the state (and the saved flag) before it starts the
// worker; the worker restores the flag, releases the process and only then
// clears the running command, before it posts the refresh. The running command
// is atomic (release on clearing, acquire on reading), so everything the
// worker did before clearing it is visible to the window thread that sees 0,
// and a new launch never overlaps the old worker's use of the state.
#include <windows.h>

namespace velpanel {

struct LaunchCommand {
  int id;                   // ID_CONFIG, ID_PLAY or ID_ACTIVATE
  const char* commandLine;  // "Velora.scr -c", found by the system's search order
  DWORD priorityClass;
  bool savesScreenSaver;    // the flag is off while the program runs
};

// The command of a launch button, or nullptr.
const LaunchCommand* FindLaunchCommand(int id);

// The one way the panel starts a program. The system's starter is
// CreateProcessA itself; tests put a recording starter in its place to see
// each call.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  virtual BOOL Start(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                     LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                     LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                     LPPROCESS_INFORMATION started) = 0;
};

// CreateProcessA, with nothing in between.
ProcessStarter& SystemProcessStarter();

// The id of the command whose program runs, or 0. Process-wide: a worker may
// outlive the window, never the process.
int RunningCommand();

// Only while nothing runs (RunningCommand() 0): starts the command's program
// and its worker, which posts WM_IDLEUPDATECMDUI
// to the window when the program has ended. Answers 0, or the system's error
// code when the program cannot be started; then nothing has changed.
DWORD Launch(ProcessStarter& starter, const LaunchCommand& command, HWND window);

// Starts the command's program and lets it run on its own: no worker, no
// launch state. Answers 0, or the system's error code.
DWORD StartUnwatched(ProcessStarter& starter, const LaunchCommand& command);

// The system's text for a program that could not be started, in a box.
void ShowStartError(HWND owner, const char* caption, DWORD error);

// The system's screen-saver flag, never written to the user's profile: a
// change lasts until the next logon.
BOOL ScreenSaveActive();
void SetScreenSaveActive(BOOL active);

}  // namespace velpanel
