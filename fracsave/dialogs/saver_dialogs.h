// The fractal saver's configuration dialog, password prompt and
// change-password dialog.
#pragma once

#include <windows.h>

namespace fracsave {

// The program's instance (where the dialog templates live) and its main
// window: the saver window, or the configuration dialog; the owner of the
// password dialogs.
extern HINSTANCE g_instance;
extern HWND g_mainWindow;

// The prompt gives up as cancelled after this long.
constexpr UINT kPromptTimer = 1001;
constexpr UINT kPromptTimeoutMs = 15000;

// 1: the saver may end (no protection, no password, or the right one typed);
// 0: cancelled or timed out; -1: the prompt could not be made.
INT_PTR CheckSaverPassword();
// Runs the change-password dialog over the main window.
void OpenChangePassword();

// The help calls of the change-password dialog go through here.
using HelpCall = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
extern HelpCall g_helpCall;
constexpr DWORD kPasswordHelpContext = 9000;

}  // namespace fracsave

// Exported by name.
extern "C" {
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgGetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgSetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}
