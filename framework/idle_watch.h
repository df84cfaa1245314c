#pragma once
// Tells the message loop when its idle work (bringing buttons' states up to
// date) must run again.
#include <windows.h>

namespace fw {

class IdleWatch {
 public:
  // Whether a message the loop has just dispatched may have changed what the
  // idle work shows. Paints, the system's caret timer and a pointer move to
  // where the pointer already was change nothing; everything else may, a
  // timer tick included.
  bool MayChangeWhatIdleShows(const MSG& msg);

 private:
  // The last pointer move seen, to tell a real move from a repeat.
  UINT lastMouseMessage_ = 0;
  POINT lastMousePoint_{-1, -1};
};

}  // namespace fw
