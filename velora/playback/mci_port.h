#pragma once
// The one way the playback engine talks to the media control interface. The
// system's port passes every call straight to WINMM; tests put a recording
// port in its place to see each command, flag and parameter block.
#include <windows.h>
#include <mmsystem.h>

namespace velora {

class MciPort {
 public:
  virtual ~MciPort() = default;
  virtual MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* params) = 0;
  virtual MCIERROR SendString(const char* command) = 0;
};

// mciSendCommandA and mciSendStringA, with nothing in between.
MciPort& SystemMci();

}  // namespace velora
