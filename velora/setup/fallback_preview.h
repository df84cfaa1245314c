#pragma once
// The setup dialog's preview of a movie that the MCI window cannot open: the
// MCI window opens files by their extension alone, and most systems name no
// device for MP4 files. This preview plays an MP4, M4V or MOV file through
// Media Foundation where the system has it, and otherwise such a file on the
// MPEG video device, in a captioned, sizable window of its own, owned by the
// dialog, and tells the dialog when the movie has stopped, as the MCI window
// does.
#include <windows.h>

#include <string>

#include "velora/playback/mci_port.h"

namespace velora {

// Opens such a preview and answers true; answers false, having left nothing
// open, for a file that the MCI window opens itself, and for one that neither
// Media Foundation nor a device opens (the MCI window then reports the error).
bool OpenFallbackPreview(HWND owner, const std::string& path, bool reverse, MciPort& mci = SystemMci());

}  // namespace velora
