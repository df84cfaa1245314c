#pragma once
// Plays the now-playing movies one after another in a window, on the media
// control interface: each movie sized and placed by the settings, started
// with notification, closed when it ends; a movie that fails is skipped after
// five seconds. The window forwards its messages to the operations below.
#include <windows.h>

#include <string>
#include <vector>

#include "velora/playback/mci_port.h"
#include "velora/playback/movie_window.h"
#include "velora/playlists/playlist_file.h"
#include "velora/playback/playback_settings.h"

namespace velora {

// Timers of the playing window.
constexpr UINT_PTR kHintTimer = 1;
constexpr UINT_PTR kSkipTimer = 2;
constexpr UINT kTimerInterval = 5000;

class PlaybackEngine {
 public:
  // The settings are read afresh at every movie start.
  PlaybackEngine(MciPort& mci, const PlaybackSettings& settings) : mci(mci), settings(settings) {}

  void StartPlayback(HWND window, const PlaylistFile& playlistFile);
  // 0 when the movie started, -1 when it could not be opened or started.
  int PlayMovie(const std::string& path);
  void AdvanceToNextMovie(WPARAM notification);
  // Timer 2: the failed movie is skipped as if it had ended.
  void SkipFailedMovie();
  void RealizePalette();
  void StopPlayback();
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
  // Closes the movie device, if one is open, and forgets its id.
  void CloseMovie();

  MciPort& mci;
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
};

}  // namespace velora
