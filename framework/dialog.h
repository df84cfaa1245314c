#pragma once
// Modal dialogs from templates. The dialog window is bound to the object from
// its creation, so its table sees every message before the dialog manager;
// Default() hands a message on to the dialog manager. Values move between
// members and controls in DoDataExchange: once at opening, once at OK.
#include <windows.h>

#include "data_exchange.h"
#include "window.h"

namespace fw {

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId, HWND parent = nullptr);

  // Runs the dialog; answers the value given to EndDialog (IDOK, IDCANCEL) or -1.
  INT_PTR DoModal();

  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  void EndDialog(int result) { ::EndDialog(hwnd(), result); }

  // Moves values between members and controls; answers false when a value
  // cannot be taken from its control.
  bool UpdateData(bool saveAndValidate);

 protected:
  virtual void DoDataExchange(DataExchange&) {}
  // Opening: data exchange into the controls. Answer TRUE to let the dialog
  // manager give the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // Centres the dialog on its owner, or on the screen's work area without one.
  void CenterWindow();

  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnInitDialogMessage(Message& msg);
  LRESULT OnOkCommand(Message& msg);
  LRESULT OnCancelCommand(Message& msg);

 private:
  UINT templateId_;
  HWND parent_;
};

}  // namespace fw
