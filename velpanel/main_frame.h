#pragma once
// The control panel's window: a small tool window whose only content is a
// toolbar of four toggle buttons. Three start velora's setup, viewer and
// saver; the fourth switches the system's screen saver on and off.
#include <string>

#include "framework/frame_window.h"
#include "framework/registry_settings.h"
#include "framework/toolbar.h"
#include "velpanel/core/panel_layout.h"
#include "velpanel/launch.h"
#include "velpanel/resources/resource_ids.h"

namespace velpanel {

// What the window takes from the application that makes it, which outlives it.
struct PanelContext {
  ProcessStarter& starter;               // how the buttons start velora's modes
  const fw::RegistrySettings& settings;  // where the window's place is kept
  const std::string& name;               // the caption, of the window and of its boxes
  bool newShell;  // Windows 95 / NT 4 or later: a tool window with a small caption
};

class CMainFrame : public fw::FrameWindow {
 public:
  explicit CMainFrame(const PanelContext& context) : CMainFrame(context, IDB_PANEL_BUTTONS) {}

  // Creates, sizes, places and shows the window; false when the window or its
  // toolbar cannot be made, and then no window exists.
  bool CreatePanel();

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnCreate(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);
  LRESULT OnDpiChanged(fw::Message& msg);
  LRESULT OnConfig(fw::Message& msg);
  LRESULT OnPlay(fw::Message& msg);
  LRESULT OnActivate(fw::Message& msg);
  LRESULT OnToggle(fw::Message& msg);
  void OnUpdateLaunch(fw::CmdUi& ui);
  void OnUpdateToggle(fw::CmdUi& ui);

 private:
  friend class MainFrameTestAccess;  // tests: a frame whose button bitmap is missing
  CMainFrame(const PanelContext& context, UINT buttonImages) : context(context), buttonImages(buttonImages) {}

  // The bar with the buttons' pictures for a DPI.
  bool MakeToolBar(UINT dpi);
  // The window that holds the bar exactly, at a DPI.
  Extent WindowSize(UINT dpi) const;
  void SizeAndPlace();
  void StartCommand(int id);

  const PanelContext context;
  UINT buttonImages;
  fw::ToolBar toolBar;
  bool placed = false;  // sized and placed from the stored position
};

}  // namespace velpanel
