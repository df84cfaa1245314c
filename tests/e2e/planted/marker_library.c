/* A library that only tells when it is loaded: a program that loads it leaves
   "<this library's path>.loaded" beside it, holding the program's path. Put
   under the names of system libraries where a program must not find them. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char marker[MAX_PATH + 8] = {0}, program[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcatA(marker, ".loaded");
    GetModuleFileNameA(NULL, program, MAX_PATH);
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, program, lstrlenA(program), &written, NULL);
      CloseHandle(file);
    }
  }
  return TRUE;
}
