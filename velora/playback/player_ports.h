#pragma once
// The system's parts a player works through. The programs use the system's
// own; tests give a recording MCI port or a Media Foundation that is missing.
#include "velora/playback/mci_port.h"
#include "velora/playback/media_foundation_platform.h"

namespace velora {

struct PlayerPorts {
  MciPort& mci;
  MediaFoundation& mediaFoundation;  // MP4, M4V and MOV files
};

inline PlayerPorts SystemPlayerPorts() { return {SystemMci(), SystemMediaFoundation()}; }

}  // namespace velora
