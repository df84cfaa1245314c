#pragma once
// The screen saver's window: a player window that hides the pointer and
// closes on any key, button, mouse movement or loss of activation.
#include "framework/core/pointer_watch.h"
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

  // Where the pointer was first reported (lastMouse.x(), lastMouse.y()), in
  // window coordinates; both -1 until then.
  fw::PointerWatch<fw::UnknownPointer::kWhileBothMinusOne> lastMouse;
};

}  // namespace velora
