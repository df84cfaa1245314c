#include "ctl3d.h"

#include "system_libraries.h"

namespace fw {

namespace {
using InstanceCall = BOOL(WINAPI*)(HINSTANCE);

InstanceCall Entry(HMODULE library, const char* name) {
  return FindFunction<InstanceCall>(library, name);
}
}  // namespace

Ctl3dLook::Ctl3dLook(HINSTANCE instance) : instance_(instance) {
  // Today's systems have no such library, so a search by name would end in
  // the program's folder, the current folder or PATH, where anybody could put one.
  library_.reset(LoadSystemLibrary("CTL3D32.DLL"));
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
