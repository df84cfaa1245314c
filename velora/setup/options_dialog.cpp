#include "velora/setup/options_dialog.h"

#include <commctrl.h>

#include "velora/playback/core/playback_speed.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

constexpr int kTickStep = 250;
// The zoom buttons are 50 %, 100 %, 200 % and Fit to screen, in that order;
// Fit to screen is stored apart from Zoom.
constexpr int kFitToScreenButton = 3;

}  // namespace

OptionsDialog::OptionsDialog(PlaybackSettings& settings, HWND parent)
    : fw::Dialog(IDD_OPTIONS, parent), settings_(settings) {
  // The template holds a trackbar, whose class must exist before it opens.
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
}

void OptionsDialog::DoDataExchange(fw::DataExchange& dx) {
  speedSlider_ = GetDlgItem(dx.Dialog(), IDC_SPEED);
  if (!speedSlider_) dx.Fail();
  fw::ExchangeCheck(dx, IDC_REVERSE, reverse);
  fw::ExchangeRadio(dx, IDC_ZOOM_50, zoomIndex);
  fw::ExchangeCheck(dx, IDC_MUTE, mute);
  fw::ExchangeRadio(dx, IDC_POSITION_RANDOM, position);
}

BOOL OptionsDialog::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  SendMessageA(speedSlider_, TBM_SETRANGEMIN, FALSE, kSlowestSpeed);
  SendMessageA(speedSlider_, TBM_SETRANGEMAX, FALSE, kFastestSpeed);
  SendMessageA(speedSlider_, TBM_SETTICFREQ, kTickStep, 0);
  SendMessageA(speedSlider_, TBM_SETPOS, TRUE, SpeedInDialogRange(settings_.Speed));
  return TRUE;
}

void OptionsDialog::OnOK() {
  settings_.Speed = static_cast<int>(SendMessageA(speedSlider_, TBM_GETPOS, 0, 0));
  fw::Dialog::OnOK();
}

bool RunOptions(HWND owner, PlaybackSettings& settings) {
  OptionsDialog dialog(settings, owner);
  dialog.reverse = settings.Reverse;
  dialog.mute = settings.Mute;
  dialog.zoomIndex = settings.FitToScreen                 ? kFitToScreenButton
                     : settings.Zoom == kFitToScreenButton ? -1  // no zoom of its own
                                                           : settings.Zoom;
  dialog.position = settings.Center;
  if (dialog.DoModal() != IDOK) return false;
  settings.Reverse = dialog.reverse;
  settings.Mute = dialog.mute;
  settings.FitToScreen = dialog.zoomIndex == kFitToScreenButton;
  if (!settings.FitToScreen) settings.Zoom = dialog.zoomIndex;
  settings.Center = dialog.position;
  return true;
}

}  // namespace velora
