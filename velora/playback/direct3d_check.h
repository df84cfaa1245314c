#pragma once
// Whether the graphics card can show Media Foundation's pictures: the
// enhanced video renderer draws through a Direct3D 9 device, which a PC
// without a Direct3D driver (a basic display driver, some remote sessions,
// Wine drawing through GDI) cannot make. Under Wine (8) the renderer never
// shows a picture: it refuses velora's movies (no decoder connects to it),
// and given one by hand, none of its frames reaches a child window. Asking
// it would only cost the check (tens of milliseconds at the start) and, on
// Wine's OpenGL renderer, a refused first movie (over half a second): under
// Wine, velora draws every picture itself.
#include <windows.h>

#include "velora/playback/media_foundation_platform.h"

namespace velora {

// Makes a windowed Direct3D 9 device, as the renderer will, on a small hidden
// window of its own (a device leaves its mark on a window), and lets it go;
// false at once under Wine.
bool CardShowsRenderersPictures(SystemLibraryLoader loader);

}  // namespace velora
