#pragma once
// The control panel's window: a small tool window whose only content is a
// toolbar of four toggle buttons. Three start velora's setup, viewer and
// saver; the fourth switches the system's screen saver on and off.
#include "framework/frame_window.h"
#include "framework/toolbar.h"
#include "velpanel/resources/resource_ids.h"

namespace velpanel {

class CMainFrame : public fw::FrameWindow {
 public:
  // The bitmap id is for tests: a missing one makes the creation fail.
  explicit CMainFrame(UINT buttonImages = IDB_PANEL_BUTTONS) : buttonImages(buttonImages) {}

  // Creates, sizes, places and shows the window; false when the window or its
  // toolbar cannot be made, and then no window exists.
  bool CreatePanel();

  fw::ToolBar toolBar;

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnCreate(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);
  LRESULT OnConfig(fw::Message& msg);
  LRESULT OnPlay(fw::Message& msg);
  LRESULT OnActivate(fw::Message& msg);
  LRESULT OnToggle(fw::Message& msg);
  void OnUpdateLaunch(fw::CmdUi& ui);
  void OnUpdateToggle(fw::CmdUi& ui);

 private:
  void SizeAndPlace();
  void StartCommand(int id);

  UINT buttonImages;
  bool placed = false;  // sized and placed from the stored position
};

}  // namespace velpanel
