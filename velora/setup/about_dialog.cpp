#include "velora/setup/about_dialog.h"

#include "velora/resources/resource_ids.h"

namespace velora {

AboutDialog::AboutDialog(HWND parent) : fw::Dialog(IDD_ABOUT, parent) {}

BOOL AboutDialog::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  CenterWindow();
  return TRUE;
}

}  // namespace velora
