#pragma once
// The window a movie device other than the AVI one draws in: a black child of
// the player window exactly over the movie's place. Such a device is told to
// draw at 0, 0 in a window of the movie's own size, which puts the picture in
// the same place whether it reads its destination as a corner and a size or
// as two corners. The window is disabled, so that clicks and pointer moves
// over the movie still reach the saver.
//
// The same window shows a picture velora draws itself (Media Foundation's):
// it then asks its parent to paint the picture whenever it paints.
#include <windows.h>

#include "framework/handles.h"

namespace velora {

// Sent by a movie window to its parent while it paints. wParam: the paint's
// device context; lParam: the movie window.
constexpr UINT WM_SAVER_MOVIE_PAINT = WM_APP + 1;

inline void DestroyMovieWindow(HWND window) { DestroyWindow(window); }
using UniqueMovieWindow = fw::Unique<HWND, fw::NullTraits<HWND, DestroyMovieWindow>>;

// Created and painted black at once, before any device draws in it. The
// caption is not shown; it names who draws the picture.
UniqueMovieWindow CreateMovieWindow(HWND parent, const RECT& where, const char* caption = "");

}  // namespace velora
