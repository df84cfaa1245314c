#pragma once
// Whether the graphics card can show Media Foundation's pictures: the
// enhanced video renderer draws through a Direct3D 9 device, which a PC
// without a Direct3D driver (a basic display driver, some remote sessions,
// Wine drawing through GDI) cannot make.
#include <windows.h>

#include "velora/playback/media_foundation_platform.h"

namespace velora {

// Makes a windowed Direct3D 9 device, as the renderer will, on a small hidden
// window of its own (a device leaves its mark on a window), and lets it go.
bool Direct3DWorks(SystemLibraryLoader loader);

}  // namespace velora
