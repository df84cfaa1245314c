#pragma once
// The screen saver's window: a player window that hides the pointer and
// closes on any key, button, mouse movement or loss of activation.
#include "velora/playback/player_window.h"

namespace velora {

class SaverWindow : public PlayerWindow {
 public:
  using PlayerWindow::PlayerWindow;

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnSysCommand(fw::Message& msg);
  LRESULT OnSetCursor(fw::Message& msg);
  LRESULT OnNcActivate(fw::Message& msg);
  LRESULT OnActivate(fw::Message& msg);
  LRESULT OnActivateApp(fw::Message& msg);
  LRESULT OnMouseMove(fw::Message& msg);
  LRESULT OnInput(fw::Message& msg);
  LRESULT OnDisplayChange(fw::Message& msg);

 private:
  friend class PlaybackTestAccess;

  // Where the pointer was first reported, in window coordinates (never
  // negative: the window covers every monitor); -1 until then.
  int lastMouseX = -1;
  int lastMouseY = -1;
};

}  // namespace velora
