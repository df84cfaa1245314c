#pragma once
// Plays the now-playing movies one after another in a window, through the
// media control interface or, for MP4, Media Foundation: each movie sized and
// placed by the settings, started with notification, closed when it ends; a
// movie that fails is skipped after five seconds. The window forwards its
// messages to the operations below.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "velora/playback/mf_movie.h"
#include "velora/playback/movie_window.h"
#include "velora/playback/playback_settings.h"
#include "velora/playback/player_ports.h"
#include "velora/playlists/playlist_file.h"

namespace velora {

// Timers of the playing window.
constexpr UINT_PTR kHintTimer = 1;
constexpr UINT_PTR kSkipTimer = 2;
constexpr UINT kTimerInterval = 5000;

class PlaybackEngine {
 public:
  // The settings are read afresh at every movie start.
  PlaybackEngine(PlayerPorts ports, const PlaybackSettings& settings)
      : mci(ports.mci), mediaFoundation(ports.mediaFoundation), settings(settings) {}

  void StartPlayback(HWND window, const PlaylistFile& playlistFile);
  // 0 when the movie started, -1 when it could not be opened or started.
  int PlayMovie(const std::string& path);
  void AdvanceToNextMovie(WPARAM notification);
  // Timer 2: the failed movie is skipped as if it had ended.
  void SkipFailedMovie();
  void RealizePalette();
  void StopPlayback();
  // Media Foundation's messages about the movie with the given serial number.
  void OnMovieEvent(WPARAM serial, LPARAM event);
  // A window paints: Media Foundation's picture, if it draws there.
  void PaintMovie(HWND where, HDC dc);
  // The screen moved within the window (monitors added, removed or rearranged):
  // the current movie keeps its place on it.
  void MoveScreen(const RECT& newScreen);

  // Where movies are placed, in window coordinates: the primary monitor, which
  // is the whole window on a single monitor.
  RECT screen{};

  // Whether the now-playing list had movies: without, the window shows a hint.
  bool HasMovies() const { return !movieList.empty(); }

 private:
  friend class PlaybackTestAccess;

  void PlayOrSkipLater(const std::string& path);
  // Tells the device where to draw the current movie: at movieRect in the
  // window, or filling the movie's own window.
  void PutDestination();
  // Keeps a movie's own window below the covers of the other monitors.
  void KeepUnderTheCovers(HWND movie);
  // Starts reading an MP4, M4V or MOV file through Media Foundation; false
  // when Media Foundation is missing, and the MCI device is to try.
  bool OpenOnMediaFoundation(const std::string& path);
  // Once the file is read: places the movie and starts it.
  bool StartMediaFoundationMovie();
  // Places the movie by its size as shown, in a window of its own (made
  // once); answers where in the window it draws.
  RECT PlaceMediaFoundationMovie();
  // The window Media Foundation's picture is drawn in: the movie's own, or
  // the player's where that could not be made.
  HWND MediaFoundationTarget() const { return movieWindow ? movieWindow.get() : window; }
  // The movie window's caption says who draws the picture: velora, or the
  // graphics card's renderer (which gives way to velora where it refuses).
  void NameWhoDraws();
  // The MCI device tries what Media Foundation could not play.
  void PlayOnMciInstead();
  int PlayOnMci(const std::string& path);
  // Opens the AVI device once and holds it to the window's end, so that its
  // video driver stays loaded between movies. Only the MCI devices need it:
  // a playlist of MP4 files starts without loading it (about 25 ms under Wine).
  void HoldAviDriver();
  // Sizes and places a movie of the given size by the settings.
  RECT PlaceMovie(int width, int height);
  // Closes the movie device, if one is open, and forgets its id.
  void CloseMovie();

  MciPort& mci;
  MediaFoundation& mediaFoundation;
  const PlaybackSettings& settings;
  MCIDEVICEID deviceId = 0;
  RECT movieRect{};
  std::vector<std::string> movieList;
  int currentIndex = 0;
  HWND window = nullptr;
  // Where a device other than the AVI one draws the current movie.
  UniqueMovieWindow movieWindow;
  // The current device draws at 0, 0 of the movie's own window (every device but the AVI one).
  bool drawsAtWindowOrigin = false;
  bool aviDriverHeld = false;
  // The movie Media Foundation plays, if it plays the current one.
  std::unique_ptr<MfMovie> mfMovie;
  WPARAM movieSerial = 0;
  std::string mfPath;
};

}  // namespace velora
