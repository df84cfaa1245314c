#include "fracsave/dialogs/saver_dialogs.h"

#include "fracsave/resources/resource_ids.h"
#include "fracsave/settings/saver_settings_io.h"
#include "framework/screen_layout.h"

namespace fracsave {

HINSTANCE g_instance;
HWND g_mainWindow;
HelpCall g_helpCall = WinHelpA;

namespace {

const char kHelpFile[] = "CONTROL.HLP";
const char kInvalidCaption[] = "Invalid password";

// Every password text is read into kPasswordMax characters and a terminator,
// whatever the edit holds.
void ReadPasswordText(HWND dialog, int id, char (&text)[kPasswordMax + 1]) {
  text[0] = '\0';
  GetDlgItemTextA(dialog, id, text, sizeof text);
  text[kPasswordMax] = '\0';
}

void LimitPasswordEdit(HWND dialog, int id) {
  SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kPasswordMax, 0);
}

// Scrambles what was typed and compares it with the stored text, case aside.
bool MatchesStored(HWND dialog, int id) {
  char typed[kPasswordMax + 1];
  ReadPasswordText(dialog, id, typed);
  ScramblePassword(typed);
  return lstrcmpiA(typed, g_storedPassword) == 0;
}

void Complain(HWND dialog, const char* text) {
  MessageBoxA(dialog, text, kInvalidCaption, MB_ICONEXCLAMATION);
}

void SetCheck(HWND dialog, int id, int32_t flag) {
  CheckDlgButton(dialog, id, flag ? BST_CHECKED : BST_UNCHECKED);
}

int32_t* FlagOf(WPARAM command) {
  switch (command) {
    case IDC_FAST_GEN: return &g_saverSettings.fastGen;
    case IDC_SHIFT_PAL: return &g_saverSettings.shiftPal;
    case IDC_RAND_CORNERS: return &g_saverSettings.randCorners;
    case IDC_ALTER_CORNERS: return &g_saverSettings.alterCorners;
    case IDC_SHOW_GEN: return &g_saverSettings.showGen;
    default: return nullptr;
  }
}

}  // namespace

INT_PTR CheckSaverPassword() {
  if (!g_saverSettings.pwProtected) return 1;
  ReadStoredPassword();
  if (!g_storedPassword[0]) return 1;
  return DialogBoxParamA(g_instance, "DLG_ENTERPASSWORD", g_mainWindow, DlgGetPasswordProc, 0);
}

void OpenChangePassword() {
  ReadStoredPassword();
  DialogBoxParamA(g_instance, "DLG_CHANGEPASSWORD", g_mainWindow, DlgSetPasswordProc, 0);
}

}  // namespace fracsave

using namespace fracsave;

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_mainWindow = dialog;
      ReadSaverSettings();
      SetCheck(dialog, IDC_PW_PROTECTED, g_saverSettings.pwProtected);
      EnableWindow(GetDlgItem(dialog, IDC_SET_PASSWORD), g_saverSettings.pwProtected != 0);
      SetCheck(dialog, IDC_FAST_GEN, g_saverSettings.fastGen);
      SetCheck(dialog, IDC_SHIFT_PAL, g_saverSettings.shiftPal);
      SetCheck(dialog, IDC_SHOW_GEN, g_saverSettings.showGen);
      SetCheck(dialog, IDC_RAND_CORNERS, g_saverSettings.randCorners);
      SetCheck(dialog, IDC_ALTER_CORNERS, g_saverSettings.alterCorners);
      return 1;
    case WM_COMMAND:
      switch (wParam) {
        case IDOK:
          WriteSaverSettings();
          EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return 1;
        case IDC_SET_PASSWORD:
          OpenChangePassword();
          return 1;
        case IDC_PW_PROTECTED:
          g_saverSettings.pwProtected ^= 1;
          SetCheck(dialog, IDC_PW_PROTECTED, g_saverSettings.pwProtected);
          EnableWindow(GetDlgItem(dialog, IDC_SET_PASSWORD), g_saverSettings.pwProtected != 0);
          return 1;
        default:
          if (int32_t* flag = FlagOf(wParam)) {
            *flag ^= 1;
            SetCheck(dialog, int(wParam), *flag);
          }
          return 0;
      }
    default:
      return 0;
  }
}

namespace {

// A dialog stands relative to its owner's corner. The saver window covers
// every monitor, so its corner may lie on another monitor than the primary:
// the prompt goes where it stands when the primary is the only monitor.
void PlaceOnPrimaryMonitor(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) return;
  POINT corner{0, 0};
  ClientToScreen(owner, &corner);
  const RECT primary = fw::CurrentScreenLayout().primary;
  RECT at;
  GetWindowRect(dialog, &at);
  SetWindowPos(dialog, nullptr, at.left - corner.x + primary.left, at.top - corner.y + primary.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CALLBACK DlgGetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      PlaceOnPrimaryMonitor(dialog);
      LimitPasswordEdit(dialog, IDC_PASSWORD);
      SetTimer(dialog, kPromptTimer, kPromptTimeoutMs, nullptr);
      return 1;
    case WM_TIMER:
      KillTimer(dialog, kPromptTimer);
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return 0;
    case WM_COMMAND:
      switch (wParam) {
        case IDOK:
          if (MatchesStored(dialog, IDC_PASSWORD)) {
            EndDialog(dialog, 1);
          } else {
            Complain(dialog, "You have entered an incorrect password.");
            SetDlgItemTextA(dialog, IDC_PASSWORD, "");
          }
          return 1;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

INT_PTR CALLBACK DlgSetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      LimitPasswordEdit(dialog, IDC_OLD_PASSWORD);
      LimitPasswordEdit(dialog, IDC_NEW_PASSWORD);
      LimitPasswordEdit(dialog, IDC_RETYPE_PASSWORD);
      if (g_storedPassword[0]) {
        EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD), TRUE);
        EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD_LABEL), TRUE);
      }
      return 1;
    case WM_COMMAND:
      switch (wParam) {
        case IDOK: {
          if (g_storedPassword[0] && !MatchesStored(dialog, IDC_OLD_PASSWORD)) {
            Complain(dialog, "You have entered an incorrect old password.");
            SetDlgItemTextA(dialog, IDC_OLD_PASSWORD, "");
            return 0;
          }
          char typed[kPasswordMax + 1];
          char retyped[kPasswordMax + 1];
          ReadPasswordText(dialog, IDC_NEW_PASSWORD, typed);
          ReadPasswordText(dialog, IDC_RETYPE_PASSWORD, retyped);
          if (lstrcmpiA(typed, retyped) != 0) {
            Complain(dialog, "You have entered an incorrect new password.");
            SetDlgItemTextA(dialog, IDC_NEW_PASSWORD, "");
            SetDlgItemTextA(dialog, IDC_RETYPE_PASSWORD, "");
            return 0;
          }
          WriteStoredPassword(typed);
          EndDialog(dialog, 1);
          return 1;
        }
        case IDCANCEL:
          g_helpCall(dialog, kHelpFile, HELP_QUIT, 0);
          EndDialog(dialog, 0);
          return 1;
        case IDC_PASSWORD_HELP:
          g_helpCall(dialog, kHelpFile, HELP_CONTEXT, kPasswordHelpContext);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}
