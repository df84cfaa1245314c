#pragma once
// The Options dialog: reverse, mute, zoom, speed and position of the movies.
// It edits the in-memory playback settings; the setup dialog's OK saves them.
#include <windows.h>

#include "framework/dialog.h"
#include "velora/playback/playback_settings.h"

namespace velora {

class OptionsDialog : public fw::Dialog {
 public:
  OptionsDialog(PlaybackSettings& settings, HWND parent);

  // Check boxes 0 or 1; radio groups the index of the checked button or -1.
  int reverse = 0;
  int zoomIndex = -1;
  int mute = 0;
  int position = -1;

 protected:
  void DoDataExchange(fw::DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  PlaybackSettings& settings_;
  // The speed trackbar; its position is the speed itself, so it has no member.
  HWND speedSlider_ = nullptr;
};

// The setup dialog's Options command: shows the settings over the owner and,
// on OK, takes the user's choices into them. Answers whether it ended with OK.
bool RunOptions(HWND owner, PlaybackSettings& settings);

}  // namespace velora
