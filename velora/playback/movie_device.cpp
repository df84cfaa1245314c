#include "velora/playback/movie_device.h"

#include <digitalv.h>

#include "velora/playback/core/movie_file.h"

namespace velora {

MCIERROR OpenMovieFile(MciPort& mci, const std::string& path, MCIDEVICEID& device, bool* onFallback) {
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = path.c_str();
  MCIERROR result = mci.SendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open);
  // An AVI file belongs to the AVI device alone: drawn by the other device at
  // the AVI device's destination it would land in the wrong place.
  if (result == MCIERR_EXTENSION_NOT_FOUND && !IsAviFile(path)) {
    open = MCI_OPEN_PARMSA{};
    open.lpstrElementName = path.c_str();
    open.lpstrDeviceType = kFallbackDeviceType;
    result = mci.SendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_OPEN_TYPE, &open);
    if (onFallback) *onFallback = true;
  }
  if (result == 0) device = open.wDeviceID;
  return result;
}

bool CanPlayBackwards(MciPort& mci, MCIDEVICEID device) {
  MCI_GETDEVCAPS_PARMS caps{};
  caps.dwItem = MCI_DGV_GETDEVCAPS_CAN_REVERSE;
  return mci.SendCommand(device, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, &caps) == 0 && caps.dwReturn != 0;
}

}  // namespace velora
