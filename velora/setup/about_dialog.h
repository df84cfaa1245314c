#pragma once
// The About box: the program's icon, name and version.
#include "framework/dialog.h"

namespace velora {

class AboutDialog : public fw::Dialog {
 public:
  explicit AboutDialog(HWND parent);

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace velora
