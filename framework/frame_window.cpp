#include "frame_window.h"

namespace fw {

FW_BEGIN_MESSAGE_MAP(FrameWindow, Window)
  FW_ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
  FW_ON_MESSAGE(WM_SIZE, OnSize)
  FW_ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  FW_ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUi)
FW_END_MESSAGE_MAP()

const char* FrameWindow::ClassName() { return RegisterPlainClass("FwFrame"); }

bool FrameWindow::CreateFrame(const char* title, DWORD style, const RECT& rect, HWND parent,
                              unsigned options) {
  moveFrame_ = (options & kMoveFrame) != 0;
  DWORD exStyle = (options & kSmallCaption) ? WS_EX_TOOLWINDOW : 0;
  const char* windowClass = ClassName();
  return windowClass && Create(exStyle, windowClass, title, style, rect, parent, 0);
}

LRESULT FrameWindow::OnNcHitTest(Message&) {
  LRESULT hit = Default();
  // The border takes the caption's part: dragging it moves the window.
  if (moveFrame_ && (hit == HTBORDER || (hit >= HTSIZEFIRST && hit <= HTSIZELAST))) return HTCAPTION;
  return hit;
}

LRESULT FrameWindow::OnSize(Message& msg) {
  // Bars along the top take the frame's new width themselves.
  ForwardToControlBars(msg);
  return Default();
}

LRESULT FrameWindow::OnEraseBackground(Message& msg) {
  // The class has no brush: what the bars leave free has the colour of a bar.
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(reinterpret_cast<HDC>(msg.wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

LRESULT FrameWindow::OnIdleUpdateCmdUi(Message& msg) {
  ForwardToControlBars(msg);
  return 0;
}

void FrameWindow::ForwardToControlBars(const Message& msg) const {
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    UINT id = static_cast<UINT>(GetDlgCtrlID(child));
    if (id >= kFirstControlBar && id <= kLastControlBar)
      SendMessageA(child, msg.message, msg.wParam, msg.lParam);
  }
}

}  // namespace fw
