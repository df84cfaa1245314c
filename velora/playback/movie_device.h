#pragma once
// Opening a movie file on its MCI device, shared by the playback engine and
// the setup dialog's preview.
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "velora/playback/mci_port.h"

namespace velora {

// The device for movie files whose extension names none: MP4 files on most
// systems. It plays whatever DirectShow can decode.
constexpr char kFallbackDeviceType[] = "MPEGVideo";

// Opens the file on the device its extension names or, when the system knows
// no device for the extension and it is not an AVI file, on the fallback
// device (and then sets `*onFallback`). On success `device` is the new
// device; the result is that of the last open tried.
MCIERROR OpenMovieFile(MciPort& mci, const std::string& path, MCIDEVICEID& device, bool* onFallback = nullptr);

// Whether the device says it can play backwards. The MPEG video device cannot:
// Windows refuses, and Wine reports the movie ended at once without showing it.
bool CanPlayBackwards(MciPort& mci, MCIDEVICEID device);

}  // namespace velora
