#pragma once
// The viewer's full-screen window: black, topmost, the movies playing in it,
// a red hint when there is nothing to play, and Esc to close.
#include <vector>

#include "framework/window.h"
#include "velora/playback/movie_window.h"
#include "velora/playback/playback_engine.h"

namespace velora {

class PlayerWindow : public fw::Window {
 public:
  // Plays the now-playing movies of `playlistFile` through `ports`, as `settings` say at each movie start.
  PlayerWindow(PlayerPorts ports, const PlaybackSettings& settings, PlaylistFile playlistFile);

  // Covers every monitor; answers whether the window was created.
  virtual bool CreateFullScreen();

 protected:
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnCreate(fw::Message& msg);
  LRESULT OnEraseBackground(fw::Message& msg);
  LRESULT OnPaint(fw::Message& msg);
  LRESULT OnTimer(fw::Message& msg);
  LRESULT OnMciNotify(fw::Message& msg);
  LRESULT OnMoviePaint(fw::Message& msg);
  LRESULT OnMovieEvent(fw::Message& msg);
  LRESULT OnQueryNewPalette(fw::Message& msg);
  LRESULT OnPaletteChanged(fw::Message& msg);
  LRESULT OnKeyDown(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);
  LRESULT OnDisplayChange(fw::Message& msg);

 private:
  void PaintNoMoviesHint(HDC dc);
  // Lays black covers over every monitor but the primary.
  void CoverOtherMonitors();

  friend class PlaybackTestAccess;

  PlaybackEngine engine;
  fw::ScreenLayoutSource screens;
  PlaylistFile playlistFile;
  // A movie larger than the primary monitor is cut at its edges, as the
  // screen's edges cut it on a single monitor: these children lie over the
  // other monitors, above the movie. Disabled, so input reaches the window.
  std::vector<UniqueMovieWindow> otherMonitorCovers;
};

}  // namespace velora
