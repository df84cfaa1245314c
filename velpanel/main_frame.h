#pragma once
// The control panel's window: a small tool window whose only content is a
// toolbar of four toggle buttons. Three start velora's setup, viewer and
// saver; the fourth switches the system's screen saver on and off.
#include "framework/frame_window.h"
#include "framework/toolbar.h"
#include "velpanel/launch.h"
#include "velpanel/resources/resource_ids.h"

namespace velpanel {

class CMainFrame : public fw::FrameWindow {
 public:
  // The buttons start velora's modes through the starter.
  explicit CMainFrame(ProcessStarter& starter) : CMainFrame(starter, IDB_PANEL_BUTTONS) {}

  // Creates, sizes, places and shows the window; false when the window or its
  // toolbar cannot be made, and then no window exists.
  bool CreatePanel();

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
  friend class MainFrameTestAccess;  // tests: a frame whose button bitmap is missing
  CMainFrame(ProcessStarter& starter, UINT buttonImages) : starter(starter), buttonImages(buttonImages) {}

  void SizeAndPlace();
  void StartCommand(int id);

  ProcessStarter& starter;
  UINT buttonImages;
  fw::ToolBar toolBar;
  bool placed = false;  // sized and placed from the stored position
};

}  // namespace velpanel
