#pragma once
// An MCI port that records every command the engine sends and answers like a
// device would, with failures where a test asks for them.
#include <windows.h>
#include <digitalv.h>

#include <set>
#include <string>
#include <vector>

#include "velora/playback/mci_port.h"

namespace velora {

struct MciCall {
  MCIDEVICEID device = 0;
  UINT message = 0;  // 0 for a command string
  DWORD_PTR flags = 0;
  std::string text;  // command string, or the element name of an open
  RECT rect{};       // put destination
  HWND window = nullptr;
  DWORD speed = 0;
  DWORD item = 0;
  DWORD from = 0;
  DWORD_PTR callback = 0;
};

class RecordingMci : public MciPort {
 public:
  std::vector<MciCall> calls;
  std::set<std::string> failOpen, failPlay;
  // Opened without a device type, these fail as files of an unknown type do.
  std::set<std::string> noDeviceForExtension;
  // Opened paths whose device can play backwards.
  std::set<std::string> canReverse;
  SIZE movieSize{320, 240};
  DWORD length = 4321;

  MCIERROR SendString(const char* command) override {
    MciCall call;
    call.text = command;
    calls.push_back(call);
    return 0;
  }

  MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* params) override {
    MciCall call;
    call.device = device;
    call.message = message;
    call.flags = flags;
    MCIERROR result = 0;
    switch (message) {
      case MCI_OPEN: {
        auto* p = static_cast<MCI_OPEN_PARMSA*>(params);
        call.text = p->lpstrElementName ? p->lpstrElementName : "";
        if (p->lpstrDeviceType) call.text += std::string("|") + p->lpstrDeviceType;
        if (failOpen.count(call.text)) {
          result = MCIERR_FILE_NOT_FOUND;
        } else if (!p->lpstrDeviceType && noDeviceForExtension.count(call.text)) {
          result = MCIERR_EXTENSION_NOT_FOUND;
        } else {
          p->wDeviceID = nextDevice++;
          openedPath = call.text;
        }
        break;
      }
      case MCI_WHERE:
        static_cast<MCI_DGV_RECT_PARMS*>(params)->rc = {0, 0, movieSize.cx, movieSize.cy};
        break;
      case MCI_WINDOW:
        call.window = static_cast<MCI_DGV_WINDOW_PARMSA*>(params)->hWnd;
        break;
      case MCI_PUT:
        call.rect = static_cast<MCI_DGV_PUT_PARMS*>(params)->rc;
        break;
      case MCI_SET:
        call.speed = static_cast<MCI_DGV_SET_PARMS*>(params)->dwSpeed;
        break;
      case MCI_STATUS: {
        auto* p = static_cast<MCI_STATUS_PARMS*>(params);
        call.item = p->dwItem;
        p->dwReturn = length;
        break;
      }
      case MCI_GETDEVCAPS: {
        auto* p = static_cast<MCI_GETDEVCAPS_PARMS*>(params);
        call.item = p->dwItem;
        p->dwReturn = p->dwItem == MCI_DGV_GETDEVCAPS_CAN_REVERSE && canReverse.count(openedPath);
        break;
      }
      case MCI_PLAY: {
        auto* p = static_cast<MCI_PLAY_PARMS*>(params);
        call.from = p->dwFrom;
        call.callback = p->dwCallback;
        if (failPlay.count(openedPath)) result = MCIERR_HARDWARE;
        break;
      }
      default:
        break;
    }
    calls.push_back(call);
    return result;
  }

  // The commands sent, without the palette realizations that activating
  // the window brings at any moment.
  std::vector<UINT> Messages() const {
    std::vector<UINT> m;
    for (const MciCall& c : calls)
      if (c.message != MCI_REALIZE) m.push_back(c.message);
    return m;
  }
  std::vector<MciCall> Sequence() const {
    std::vector<MciCall> s;
    for (const MciCall& c : calls)
      if (c.message != MCI_REALIZE) s.push_back(c);
    return s;
  }
  const MciCall* Last(UINT message) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
      if (it->message == message) return &*it;
    return nullptr;
  }
  int Count(UINT message) const {
    int n = 0;
    for (const MciCall& c : calls) n += c.message == message;
    return n;
  }

 private:
  MCIDEVICEID nextDevice = 10;
  std::string openedPath;
};

}  // namespace velora
