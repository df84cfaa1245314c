#include "dialog.h"

namespace fw {

namespace {

// The dialog manager calls this for what the window table hands on; the
// dialog's own handling already happened in the table.
INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

FW_BEGIN_MESSAGE_MAP(Dialog, Window)
  FW_ON_MESSAGE(WM_INITDIALOG, OnInitDialogMessage)
  FW_ON_COMMAND(IDOK, OnOkCommand)
  FW_ON_COMMAND(IDCANCEL, OnCancelCommand)
FW_END_MESSAGE_MAP()

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR Dialog::DoModal() {
  if (hwnd()) return -1;
  // The templates are resources of the program's own file.
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The dialog window is the first window the call creates; its controls come
  // after it and stay unbound.
  BindNextWindow binding(this);
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId_), parent_, &PassiveDialogProc, 0);
}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(hwnd(), saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT Dialog::OnInitDialogMessage(Message&) {
  return OnInitDialog();
}

LRESULT Dialog::OnOkCommand(Message&) {
  OnOK();
  return 0;
}

LRESULT Dialog::OnCancelCommand(Message&) {
  OnCancel();
  return 0;
}

void Dialog::CenterWindow() {
  RECT area{};
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner)
    GetWindowRect(owner, &area);
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT self{};
  GetWindowRect(hwnd(), &self);
  int w = self.right - self.left, h = self.bottom - self.top;
  int x = area.left + ((area.right - area.left) - w) / 2;
  int y = area.top + ((area.bottom - area.top) - h) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fw
