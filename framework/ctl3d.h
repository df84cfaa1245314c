#pragma once
// The three-dimensional dialog look of CTL3D32.DLL, used when the system
// directory holds the library. Without it dialogs keep the system's own look.
#include <windows.h>

#include "handles.h"

namespace fw {

class Ctl3dLook {
 public:
  explicit Ctl3dLook(HINSTANCE instance);
  ~Ctl3dLook();
  Ctl3dLook(const Ctl3dLook&) = delete;
  Ctl3dLook& operator=(const Ctl3dLook&) = delete;

  bool Active() const { return registered_; }

 private:
  HINSTANCE instance_;
  UniqueLibrary library_;
  bool registered_ = false;
};

}  // namespace fw
