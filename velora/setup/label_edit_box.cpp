#include "velora/setup/label_edit_box.h"

#include <commctrl.h>

namespace velora {

FW_BEGIN_MESSAGE_MAP(LabelEditBox, fw::Window)
  FW_ON_MESSAGE(WM_GETDLGCODE, OnGetDialogCode)
  FW_ON_MESSAGE(WM_CHAR, OnChar)
FW_END_MESSAGE_MAP()

LRESULT LabelEditBox::OnGetDialogCode(fw::Message&) { return DLGC_WANTALLKEYS; }

LRESULT LabelEditBox::OnChar(fw::Message& msg) {
  if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) {
    // The tree ends the edit; Escape throws the text away.
    SendMessageA(GetParent(hwnd()), TVM_ENDEDITLABELNOW, msg.wParam == VK_ESCAPE, 0);
    return 0;
  }
  return Default();
}

}  // namespace velora
