#pragma once
// The system's parts a player works through. The programs use the system's
// own; tests give a recording MCI port, a Media Foundation that is missing or
// monitors that come and go.
#include "framework/screen_layout.h"
#include "velora/playback/mci_port.h"
#include "velora/playback/media_foundation_platform.h"

namespace velora {

struct PlayerPorts {
  MciPort& mci;
  MediaFoundation& mediaFoundation;  // MP4, M4V and MOV files
  fw::ScreenLayoutSource screens = fw::ReadScreenLayout;  // the monitors the window covers
};

inline PlayerPorts SystemPlayerPorts() { return {SystemMci(), SystemMediaFoundation()}; }

}  // namespace velora
