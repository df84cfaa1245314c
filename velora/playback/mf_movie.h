#pragma once
// A movie played through Media Foundation: MP4, M4V and MOV files, which the
// MCI devices of a stock Windows cannot open. Where the graphics card can
// draw, the enhanced video renderer decodes and shows the picture there, in
// velora's window at velora's rectangle. Elsewhere a media session decodes
// the video for a sample grabber, and velora draws each frame itself, when
// its window paints. Media Foundation calls back on its own threads:
// every event reaches the window's thread as a posted message, a frame as the
// window's invalid area (only the latest frame is kept; paints come after
// input, so that no movie delays the end of the saver), and the window's
// thread never waits for those threads.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "velora/playback/media_foundation_platform.h"

namespace velora {

// Posted to the window given at opening. wParam: the movie's serial number,
// so that a message of a movie already gone is recognised and dropped;
// lParam: one of the events below, each handed to OnEvent first.
constexpr UINT WM_SAVER_MOVIE_EVENT = WM_APP + 2;
constexpr LPARAM kMovieEnded = 1;
constexpr LPARAM kMovieFailed = 2;      // opened, but cannot be played on
constexpr LPARAM kMovieOpened = 3;      // FinishOpen, then Play
constexpr LPARAM kMovieUnopened = 4;    // Media Foundation cannot read or decode the file
constexpr LPARAM kMovieReady = 5;       // for OnEvent: the decoders are in place, or their format changed
constexpr LPARAM kMovieUnresolved = 6;  // for OnEvent: no decoder for a stream
constexpr LPARAM kMovieResized = 7;     // from OnEvent: NativeSize changed, the movie is to be placed anew
constexpr LPARAM kMovieTopologySet = 8; // for OnEvent: the session took the latest topology

// The caption of a movie window whose picture comes from Media Foundation,
// which tells a watcher which way the movie plays: drawn by velora, or by the
// enhanced video renderer on the graphics card.
constexpr char kMediaFoundationMovieTitle[] = "Media Foundation";
constexpr char kMediaFoundationRendererTitle[] = "Media Foundation EVR";

class MfMovie {
 public:
  // Starts reading the file; kMovieOpened or kMovieUnopened follows. Null
  // when Media Foundation is missing or cannot even start.
  static std::unique_ptr<MfMovie> Open(MediaFoundation& platform, const std::string& path, HWND notify,
                                       WPARAM serial);
  // Stops the movie; its objects are closed and released on a thread of
  // their own, its file included.
  ~MfMovie();
  // Before the process ends: waits for the movies let go to be released
  // (Media Foundation's threads would otherwise still run while the process
  // unloads). False when some were still busy after the time.
  static bool WaitForReleases(DWORD milliseconds);

  // For a window that may wait for the reading (the setup dialog's preview,
  // as the MCI window waits): whether it ended within the time.
  bool WaitUntilOpened(DWORD milliseconds);
  // After the reading: takes the movie's streams; false when it made none.
  bool FinishOpen();
  // The picture's size as shown: upright, at its pixels' shape; 0 by 0 for
  // a file without a picture. Told by the file, then by the decoder once
  // playing (kMovieResized).
  SIZE NativeSize() const;
  // Has the movie's decoders put in place; it starts when they are
  // (kMovieReady). Frames are drawn into `target` at `where`, whose paint
  // calls Paint: by the enhanced video renderer where the graphics card can
  // draw and the picture needs no turn, else by velora. Speed is in
  // thousandths of the normal rate, used where the file allows it. False
  // when playback cannot even be asked for.
  bool Play(HWND target, const RECT& where, std::uint32_t speed, bool mute);
  // On WM_SAVER_MOVIE_EVENT: does the movie's own part (starting once
  // ready; trying again with velora drawing when the renderer refuses, then
  // without sound when the sound has no decoder) and answers what the
  // window is to do: kMovieEnded, kMovieFailed, kMovieOpened,
  // kMovieUnopened, kMovieResized or 0 for nothing.
  LPARAM OnEvent(LPARAM event);
  // Which way the picture is drawn, as the target's caption tells it.
  const char* Caption() const;
  // Where later frames go (the preview follows its window's size).
  void MoveTo(const RECT& where);
  // While the target paints: draws the newest frame (again, if none came).
  void Paint(HDC dc);
  WPARAM Serial() const;

  class Impl;

 private:
  explicit MfMovie(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl;
};

}  // namespace velora
