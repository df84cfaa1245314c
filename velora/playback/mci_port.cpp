#include "velora/playback/mci_port.h"

namespace velora {

namespace {

class SystemMciPort : public MciPort {
 public:
  MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* params) override {
    return mciSendCommandA(device, message, flags, reinterpret_cast<DWORD_PTR>(params));
  }
  MCIERROR SendString(const char* command) override { return mciSendStringA(command, nullptr, 0, nullptr); }
};

}  // namespace

MciPort& SystemMci() {
  static SystemMciPort port;
  return port;
}

}  // namespace velora
