// The fractal saver's configuration dialog, password prompt and
// change-password dialog.
#pragma once

#include <windows.h>

#include "fracsave/settings/saver_settings_io.h"

namespace fracsave {

// How the change-password dialog calls help: WinHelpA, or a recorder in tests.
using HelpCall = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
constexpr DWORD kPasswordHelpContext = 9000;

// What the dialogs work on: one saver's preferences, where the templates
// live, the owner of the password dialogs and the stored password. The
// dialogs are opened with it as their parameter and keep it in DWLP_USER.
struct DialogContext {
  explicit DialogContext(HelpCall helpCall = WinHelpA) : helpCall(helpCall) {}

  HINSTANCE instance = nullptr;
  // The saver window, or the configuration dialog: the owner of the password dialogs.
  HWND mainWindow = nullptr;
  SaverSettings* settings = nullptr;
  const HelpCall helpCall;
  StoredPassword stored = {};  // as read when a password dialog opened
};

// The prompt gives up as cancelled after this long.
constexpr UINT kPromptTimer = 1001;
constexpr UINT kPromptTimeoutMs = 15000;

// 1: the saver may end (no protection, no password, or the right one typed);
// 0: cancelled or timed out; -1: the prompt could not be made.
INT_PTR CheckSaverPassword(DialogContext& context);
// Runs the change-password dialog over the main window.
INT_PTR OpenChangePassword(DialogContext& context);
// Runs the configuration dialog, with no owner.
INT_PTR RunConfigureDialog(DialogContext& context);

}  // namespace fracsave

// Exported by name. The system's screen-saver tools may open them with no
// parameter: such a dialog keeps a context of its own for its lifetime.
extern "C" {
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgGetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgSetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}
