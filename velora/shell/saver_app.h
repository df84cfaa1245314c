#pragma once
// velora's application object: reads the playback settings, picks the mode
// from the command line and runs it. The one place that builds the mode's
// window and hands it what it needs.
#include <windows.h>

#include "framework/app.h"
#include "velora/playback/playback_settings.h"
#include "velora/shell/core/command_line.h"

namespace velora {

class SetupDialog;

class SaverApp : public fw::App {
 public:
  bool ProcessMessageFilter(int code, MSG* msg) override;
  // The configuration mode's Delete key, for the setup dialog that runs as main window.
  void EnableSetupAccelerators(SetupDialog* dialog);

 protected:
  bool InitInstance() override;

  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnDeleteSelected(fw::Message& msg);

 private:
  bool RunMode(SaverMode mode);
  void RunConfiguration();
  bool RunFullScreen(SaverMode mode);
  bool RunPreview();
  void ShowChangePassword();
  void ShowStandaloneNotice();
  // The window named by the number after `letter` in the command line, if it exists.
  HWND WindowAfter(char letter) const;

  // Windows 95 / NT 4 shell or later: the setup dialog asks the shell for titles and icons.
  bool newShell = true;
  // Only in the configuration mode: the Delete accelerator is active.
  bool configMode = false;
  PlaybackSettings playbackSettings;
  HACCEL accelerators = nullptr;
  SetupDialog* setupDialog = nullptr;
};

}  // namespace velora
