#pragma once
// The tree's in-place edit box while a playlist is renamed: it takes Enter and
// Escape itself instead of letting the dialog press OK or Cancel.
#include "framework/window.h"

namespace velora {

class LabelEditBox : public fw::Window {
 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnGetDialogCode(fw::Message& msg);
  LRESULT OnChar(fw::Message& msg);
};

}  // namespace velora
