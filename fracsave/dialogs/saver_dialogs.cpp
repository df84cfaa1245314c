#include "fracsave/dialogs/saver_dialogs.h"

#include "fracsave/resources/resource_ids.h"
#include "fracsave/settings/saver_settings_io.h"
#include "framework/screen_layout.h"

namespace fracsave {

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
bool MatchesStored(const DialogContext& context, HWND dialog, int id) {
  char typed[kPasswordMax + 1];
  ReadPasswordText(dialog, id, typed);
  ScramblePassword(typed);
  return lstrcmpiA(typed, context.stored.text) == 0;
}

void Complain(HWND dialog, const char* text) {
  MessageBoxA(dialog, text, kInvalidCaption, MB_ICONEXCLAMATION);
}

void SetCheck(HWND dialog, int id, int32_t flag) {
  CheckDlgButton(dialog, id, flag ? BST_CHECKED : BST_UNCHECKED);
}

int32_t* FlagOf(SaverSettings& settings, WPARAM command) {
  switch (command) {
    case IDC_FAST_GEN: return &settings.fastGen;
    case IDC_SHIFT_PAL: return &settings.shiftPal;
    case IDC_RAND_CORNERS: return &settings.randCorners;
    case IDC_ALTER_CORNERS: return &settings.alterCorners;
    case IDC_SHOW_GEN: return &settings.showGen;
    default: return nullptr;
  }
}

// A context for a dialog opened with none, freed with the dialog.
struct OwnContext {
  SaverSettings settings = {};
  DialogContext context;
};
const char kOwnContextProp[] = "FracsaveOwnContext";

// The context a dialog keeps in DWLP_USER, taken from its parameter at
// WM_INITDIALOG; none before that message.
DialogContext* ContextOf(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* context = reinterpret_cast<DialogContext*>(lParam);
    if (!context) {
      auto* own = new OwnContext;
      own->context.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
      own->context.settings = &own->settings;
      own->context.mainWindow = GetWindow(dialog, GW_OWNER);
      own->context.stored = ReadStoredPassword();
      SetPropA(dialog, kOwnContextProp, own);
      context = &own->context;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    return context;
  }
  if (message == WM_NCDESTROY) {
    delete static_cast<OwnContext*>(RemovePropA(dialog, kOwnContextProp));
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    return nullptr;
  }
  return reinterpret_cast<DialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

LPARAM AsParameter(DialogContext& context) { return reinterpret_cast<LPARAM>(&context); }

}  // namespace

INT_PTR CheckSaverPassword(DialogContext& context) {
  if (!context.settings->pwProtected) return 1;
  context.stored = ReadStoredPassword();
  if (!context.stored.text[0]) return 1;
  return DialogBoxParamA(context.instance, "DLG_ENTERPASSWORD", context.mainWindow, DlgGetPasswordProc,
                         AsParameter(context));
}

INT_PTR OpenChangePassword(DialogContext& context) {
  context.stored = ReadStoredPassword();
  return DialogBoxParamA(context.instance, "DLG_CHANGEPASSWORD", context.mainWindow, DlgSetPasswordProc,
                         AsParameter(context));
}

INT_PTR RunConfigureDialog(DialogContext& context) {
  return DialogBoxParamA(context.instance, "DLG_SCRNSAVECONFIGURE", nullptr, ScreenSaverConfigureDialog,
                         AsParameter(context));
}

}  // namespace fracsave

using namespace fracsave;

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogContext* context = ContextOf(dialog, message, lParam);
  if (!context) return 0;
  SaverSettings& settings = *context->settings;
  switch (message) {
    case WM_INITDIALOG:
      context->mainWindow = dialog;
      ReadSaverSettings(settings);
      SetCheck(dialog, IDC_PW_PROTECTED, settings.pwProtected);
      EnableWindow(GetDlgItem(dialog, IDC_SET_PASSWORD), settings.pwProtected != 0);
      SetCheck(dialog, IDC_FAST_GEN, settings.fastGen);
      SetCheck(dialog, IDC_SHIFT_PAL, settings.shiftPal);
      SetCheck(dialog, IDC_SHOW_GEN, settings.showGen);
      SetCheck(dialog, IDC_RAND_CORNERS, settings.randCorners);
      SetCheck(dialog, IDC_ALTER_CORNERS, settings.alterCorners);
      return 1;
    case WM_COMMAND:
      switch (wParam) {
        case IDOK:
          WriteSaverSettings(settings);
          EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return 1;
        case IDC_SET_PASSWORD:
          OpenChangePassword(*context);
          return 1;
        case IDC_PW_PROTECTED:
          settings.pwProtected ^= 1;
          SetCheck(dialog, IDC_PW_PROTECTED, settings.pwProtected);
          EnableWindow(GetDlgItem(dialog, IDC_SET_PASSWORD), settings.pwProtected != 0);
          return 1;
        default:
          if (int32_t* flag = FlagOf(settings, wParam)) {
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
  const RECT primary = fw::ReadScreenLayout().primary;
  RECT at;
  GetWindowRect(dialog, &at);
  SetWindowPos(dialog, nullptr, at.left - corner.x + primary.left, at.top - corner.y + primary.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CALLBACK DlgGetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogContext* context = ContextOf(dialog, message, lParam);
  if (!context) return 0;
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
          if (MatchesStored(*context, dialog, IDC_PASSWORD)) {
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

INT_PTR CALLBACK DlgSetPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogContext* context = ContextOf(dialog, message, lParam);
  if (!context) return 0;
  const char* stored = context->stored.text;
  switch (message) {
    case WM_INITDIALOG:
      LimitPasswordEdit(dialog, IDC_OLD_PASSWORD);
      LimitPasswordEdit(dialog, IDC_NEW_PASSWORD);
      LimitPasswordEdit(dialog, IDC_RETYPE_PASSWORD);
      if (stored[0]) {
        EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD), TRUE);
        EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD_LABEL), TRUE);
      }
      return 1;
    case WM_COMMAND:
      switch (wParam) {
        case IDOK: {
          if (stored[0] && !MatchesStored(*context, dialog, IDC_OLD_PASSWORD)) {
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
          context->helpCall(dialog, kHelpFile, HELP_QUIT, 0);
          EndDialog(dialog, 0);
          return 1;
        case IDC_PASSWORD_HELP:
          context->helpCall(dialog, kHelpFile, HELP_CONTEXT, kPasswordHelpContext);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}
