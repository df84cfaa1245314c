#include "velora/playback/playback_engine.h"

#include <digitalv.h>

#include "velora/playback/movie_device.h"
#include "velora/playback/core/movie_file.h"
#include "velora/playback/core/movie_geometry.h"
#include "velora/playback/core/playback_speed.h"

namespace velora {

void PlaybackEngine::StartPlayback(HWND playerWindow, const PlaylistFile& playlistFile) {
  window = playerWindow;
  playlistFile.ReadNowPlayingList(movieList);
  if (movieList.empty()) {
    SetTimer(window, kHintTimer, kTimerInterval, nullptr);
    return;
  }
  PlayOrSkipLater(movieList[0]);
}

int PlaybackEngine::PlayMovie(const std::string& path) {
  // AVI files keep the commands they always had; other devices (MPEG video
  // for MP4, WMV and MPEG files) get their own window and the reverse rule.
  const bool aviFile = IsAviFile(path);
  // The previous movie's area goes back to black.
  mfMovie.reset();
  movieWindow.reset();
  InvalidateRect(window, &movieRect, TRUE);
  // Before the next device draws: a black repaint after its first picture would hide it.
  if (!aviFile) UpdateWindow(window);

  if (IsMediaFoundationFile(path) && OpenOnMediaFoundation(path)) return 0;
  return PlayOnMci(path);
}

void PlaybackEngine::HoldAviDriver() {
  if (aviDriverHeld) return;
  aviDriverHeld = true;
  mci.SendString("open AVIVideo");
}

int PlaybackEngine::PlayOnMci(const std::string& path) {
  HoldAviDriver();
  const bool aviFile = IsAviFile(path);
  if (OpenMovieFile(mci, path, deviceId) != 0) return -1;
  drawsAtWindowOrigin = !aviFile;

  // A device without a picture refuses the picture steps and just plays its sound.
  MCI_DGV_RECT_PARMS source{};
  mci.SendCommand(deviceId, MCI_WHERE, MCI_DGV_WHERE_SOURCE, &source);
  PlaceMovie(source.rc.right, source.rc.bottom);
  MCI_DGV_WINDOW_PARMSA target{};
  if (aviFile) {
    target.hWnd = window;
  } else {
    movieWindow = CreateMovieWindow(window, movieRect);
    KeepUnderTheCovers(movieWindow.get());
    target.hWnd = movieWindow ? movieWindow.get() : window;
  }
  mci.SendCommand(deviceId, MCI_WINDOW, MCI_DGV_WINDOW_HWND, &target);
  PutDestination();

  MCI_DGV_SET_PARMS speed{};
  speed.dwSpeed = PlaybackSpeed(settings.Speed);
  mci.SendCommand(deviceId, MCI_SET, MCI_DGV_SET_SPEED, &speed);

  MCI_STATUS_PARMS length{};
  length.dwItem = MCI_STATUS_LENGTH;
  mci.SendCommand(deviceId, MCI_STATUS, MCI_STATUS_ITEM, &length);

  if (settings.Mute) {
    MCI_DGV_SETAUDIO_PARMSA audio{};
    mci.SendCommand(deviceId, MCI_SETAUDIO, MCI_SET_OFF, &audio);
  }

  MCI_PLAY_PARMS play{};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
  DWORD_PTR flags = MCI_NOTIFY | MCI_FROM;
  if (PlaysBackwards(settings.Reverse != 0, path, [&] { return CanPlayBackwards(mci, deviceId); })) {
    flags |= MCI_DGV_PLAY_REVERSE;
    play.dwFrom = static_cast<DWORD>(length.dwReturn);
  }
  return mci.SendCommand(deviceId, MCI_PLAY, flags, &play) == 0 ? 0 : -1;
}

void PlaybackEngine::PutDestination() {
  MCI_DGV_PUT_PARMS destination{};
  const LONG width = movieRect.right - movieRect.left, height = movieRect.bottom - movieRect.top;
  if (drawsAtWindowOrigin)
    destination.rc = {0, 0, width, height};
  else
    destination.rc = {movieRect.left, movieRect.top, width, height};
  mci.SendCommand(deviceId, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT, &destination);
}

void PlaybackEngine::MoveScreen(const RECT& newScreen) {
  const int dx = newScreen.left - screen.left, dy = newScreen.top - screen.top;
  screen = newScreen;
  if (dx == 0 && dy == 0) return;
  OffsetRect(&movieRect, dx, dy);
  // A movie in its own window (Media Foundation's, or a device's other than
  // the AVI one) moves with it; the AVI device is told its new place.
  if (movieWindow)
    SetWindowPos(movieWindow.get(), nullptr, movieRect.left, movieRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  else if (deviceId != 0 && !drawsAtWindowOrigin)
    PutDestination();
}

void PlaybackEngine::KeepUnderTheCovers(HWND movie) {
  // Under the covers of the other monitors, which cut a movie larger than the primary.
  if (movie) SetWindowPos(movie, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

RECT PlaybackEngine::PlaceMovie(int width, int height) {
  Placement place = ComputeMovieRect(width, height, screen.right - screen.left, screen.bottom - screen.top,
                                     settings.Zoom, settings.Center, ProcessRandom(), settings.FitToScreen != 0);
  place.x += screen.left;
  place.y += screen.top;
  movieRect = {place.x, place.y, place.x + place.width, place.y + place.height};
  // A corner and a size, as the devices take a destination.
  return {place.x, place.y, place.width, place.height};
}

bool PlaybackEngine::OpenOnMediaFoundation(const std::string& path) {
  mfMovie = MfMovie::Open(mediaFoundation, path, window, ++movieSerial);
  mfPath = path;
  if (!mfMovie) return false;
  // A file whose reading does not end within the skip time is skipped as
  // one that cannot be opened: a damaged file can keep the reader busy.
  SetTimer(window, kSkipTimer, kTimerInterval, nullptr);
  return true;
}

bool PlaybackEngine::StartMediaFoundationMovie() {
  if (!mfMovie->FinishOpen()) return false;
  const RECT where = PlaceMediaFoundationMovie();
  // Reverse plays forwards, as on the MPEG video device.
  const bool playing = mfMovie->Play(MediaFoundationTarget(), where, PlaybackSpeed(settings.Speed), settings.Mute != 0);
  NameWhoDraws();
  return playing;
}

void PlaybackEngine::NameWhoDraws() {
  if (!movieWindow || !mfMovie) return;
  char caption[64] = "";
  GetWindowTextA(movieWindow.get(), caption, sizeof caption);
  if (lstrcmpA(caption, mfMovie->Caption()) != 0) SetWindowTextA(movieWindow.get(), mfMovie->Caption());
}

RECT PlaybackEngine::PlaceMediaFoundationMovie() {
  const SIZE size = mfMovie->NativeSize();
  const RECT place = PlaceMovie(size.cx, size.cy);
  if (!movieWindow) {
    movieWindow = CreateMovieWindow(window, movieRect, kMediaFoundationMovieTitle);
    KeepUnderTheCovers(movieWindow.get());
  } else {
    SetWindowPos(movieWindow.get(), nullptr, place.left, place.top, place.right, place.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return movieWindow ? RECT{0, 0, place.right, place.bottom} : movieRect;
}

void PlaybackEngine::PlayOnMciInstead() {
  mfMovie.reset();
  movieWindow.reset();
  if (PlayOnMci(mfPath) != 0) SetTimer(window, kSkipTimer, kTimerInterval, nullptr);
}

void PlaybackEngine::PaintMovie(HWND where, HDC dc) {
  if (mfMovie && where == MediaFoundationTarget()) mfMovie->Paint(dc);
}

void PlaybackEngine::OnMovieEvent(WPARAM serial, LPARAM event) {
  if (!mfMovie || mfMovie->Serial() != serial) return;
  // The end starts the next movie as the MCI notification does; a movie that
  // fails while playing is skipped after the same wait as one that cannot
  // open; a file that Media Foundation cannot read or decode goes to the MCI
  // devices. The decoder may tell another size than the file did (a phone's
  // movie turned upright): the movie is placed anew, before its first frame.
  event = mfMovie->OnEvent(event);
  NameWhoDraws();
  if (event == kMovieEnded) {
    AdvanceToNextMovie(MCI_NOTIFY_SUCCESSFUL);
  } else if (event == kMovieFailed) {
    SetTimer(window, kSkipTimer, kTimerInterval, nullptr);
  } else if (event == kMovieResized) {
    InvalidateRect(window, &movieRect, TRUE);
    mfMovie->MoveTo(PlaceMediaFoundationMovie());
  } else if (event == kMovieOpened || event == kMovieUnopened) {
    KillTimer(window, kSkipTimer);
    if (event == kMovieUnopened || !StartMediaFoundationMovie()) PlayOnMciInstead();
  }
}

void PlaybackEngine::PlayOrSkipLater(const std::string& path) {
  if (PlayMovie(path) != 0) SetTimer(window, kSkipTimer, kTimerInterval, nullptr);
}

void PlaybackEngine::AdvanceToNextMovie(WPARAM notification) {
  // Superseded, aborted and failed movies stay where they are.
  if (notification != MCI_NOTIFY_SUCCESSFUL || movieList.empty()) return;
  currentIndex = NextMovieIndex(currentIndex, static_cast<int>(movieList.size()));
  CloseMovie();
  PlayOrSkipLater(movieList[static_cast<size_t>(currentIndex)]);
}

void PlaybackEngine::SkipFailedMovie() {
  KillTimer(window, kSkipTimer);
  PostMessageA(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
}

void PlaybackEngine::RealizePalette() {
  if (deviceId == 0) return;
  MCI_GENERIC_PARMS realize{};
  mci.SendCommand(deviceId, MCI_REALIZE, MCI_DGV_REALIZE_NORM, &realize);
}

void PlaybackEngine::CloseMovie() {
  mfMovie.reset();
  if (deviceId == 0) return;
  MCI_GENERIC_PARMS close{};
  mci.SendCommand(deviceId, MCI_CLOSE, 0, &close);
  // A closed id may be given to another device; a later failed open must not close or realize it.
  deviceId = 0;
}

void PlaybackEngine::StopPlayback() {
  CloseMovie();
  movieWindow.reset();
  if (movieList.empty()) KillTimer(window, kHintTimer);
  movieList.clear();
  if (aviDriverHeld) mci.SendString("close AVIVideo");
  aviDriverHeld = false;
  // The application ends its loop when its main window goes.
}

}  // namespace velora
