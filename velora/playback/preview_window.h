#pragma once
// The live sample in the system's screen-saver settings: on black, the
// marquee sign with its chasing lights, and below it the names of the
// now-playing movies scrolling slowly up and starting over.
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"
#include "velora/playback/core/preview_layout.h"
#include "velora/playlists/playlist_file.h"

namespace velora {

class PreviewWindow : public fw::Window {
 public:
  // Shows the now-playing movies of `playlistFile`.
  explicit PreviewWindow(PlaylistFile playlistFile);

  // A visible child of `parent` covering `rect`, as the settings page asks;
  // it keeps that size whatever the parent does later. Answers whether the
  // window was created.
  bool CreatePreview(HWND parent, const RECT& rect);

  // Reads the now-playing movies, draws their names once and starts the
  // tick. Answers the timer, 0 if it could not be started.
  UINT_PTR SetupPreview();

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnEraseBackground(fw::Message& msg);
  LRESULT OnPaint(fw::Message& msg);
  LRESULT OnTimer(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);

 private:
  fw::UniqueBitmap DrawNameStrip(int width) const;
  void DrawMarquee(HDC frame, int width) const;
  void DrawNames(HDC frame, int width, int height) const;

  friend class PreviewTestAccess;

  PlaylistFile playlistFile;
  std::vector<std::string> movieList;
  PreviewScroll scroll;
  int artScale = 100;  // the pictures' and rows' size, for the screen's density
  // The names, drawn once; without them the name area stays black.
  fw::UniqueBitmap nameStrip;
};

}  // namespace velora
