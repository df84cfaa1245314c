#include "idle_watch.h"

namespace fw {

bool IdleWatch::MayChangeWhatIdleShows(const MSG& msg) {
  constexpr UINT kSystemTimer = 0x0118;  // the caret's blink
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    const bool repeat = msg.message == lastMouseMessage_ && msg.pt.x == lastMousePoint_.x &&
                        msg.pt.y == lastMousePoint_.y;
    lastMouseMessage_ = msg.message;
    lastMousePoint_ = msg.pt;
    return !repeat;
  }
  return msg.message != WM_PAINT && msg.message != kSystemTimer;
}

}  // namespace fw
