#include "ctl3d.h"

namespace fw {

namespace {
using InstanceCall = BOOL(WINAPI*)(HINSTANCE);

InstanceCall Entry(HMODULE library, const char* name) {
  return reinterpret_cast<InstanceCall>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
}  // namespace

Ctl3dLook::Ctl3dLook(HINSTANCE instance) : instance_(instance) {
  // Only an existing library: a missing one must not bring up a system error box.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  library_.reset(LoadLibraryA("CTL3D32.DLL"));
  SetErrorMode(oldMode);
  if (!library_) return;
  auto reg = Entry(library_.get(), "Ctl3dRegister");
  auto autoSubclass = Entry(library_.get(), "Ctl3dAutoSubclass");
  if (reg && autoSubclass && reg(instance_)) {
    registered_ = true;
    autoSubclass(instance_);
  }
}

Ctl3dLook::~Ctl3dLook() {
  if (registered_) {
    if (auto unreg = Entry(library_.get(), "Ctl3dUnregister")) unreg(instance_);
  }
}

}  // namespace fw
