#pragma once
// A top-level frame window with control bars (a toolbar) along its top. The
// frame lays its bars out when it is sized and hands them the requests to
// bring their buttons' states up to date. A tool frame has the small caption
// of a tool window; with a move frame it is dragged by its border as well as
// by its caption.
#include <windows.h>

#include "window.h"

namespace fw {

// Children with ids in this range are the frame's control bars.
constexpr UINT kFirstControlBar = 0xE800;
constexpr UINT kLastControlBar = 0xE8FF;
constexpr UINT kIdToolBar = kFirstControlBar;

class FrameWindow : public Window {
 public:
  enum Option : unsigned { kSmallCaption = 1, kMoveFrame = 2 };

  // The frame's own window class: double-click notification, arrow cursor,
  // no background brush, no icon.
  static const char* ClassName();

  bool CreateFrame(const char* title, DWORD style, const RECT& rect, HWND parent,
                   unsigned options);

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnNcHitTest(Message& msg);
  LRESULT OnSize(Message& msg);
  LRESULT OnEraseBackground(Message& msg);
  LRESULT OnIdleUpdateCmdUi(Message& msg);

 private:
  // Sends the message being handled on to every control bar.
  void ForwardToControlBars(const Message& msg) const;

  bool moveFrame_ = false;
};

}  // namespace fw
