// Stands in for velora.scr beside velpanel.exe in the control panel's tests:
// appends "<process id> <priority class> <screen-saver flag> <command line>"
// to started.txt beside itself, then runs until the event "VeloraStandIn.End"
// is set. The flag is the one a saver started now would find; a window is
// made first because under Wine only a program with windows asks the X
// server's screen saver, as the panel does.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HANDLE end = CreateEventA(nullptr, TRUE, FALSE, "VeloraStandIn.End");
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string log(path);
  log.erase(log.find_last_of('\\') + 1);
  log += "started.txt";
  CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  BOOL saverActive = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &saverActive, 0);
  std::string line = std::to_string(GetCurrentProcessId()) + " " +
                     std::to_string(GetPriorityClass(GetCurrentProcess())) + " " +
                     std::to_string(saverActive) + " " + GetCommandLineA() + "\r\n";
  HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  WaitForSingleObject(end, INFINITE);
  return 0;
}
