#include "velora/playback/playback_engine.h"

#include <digitalv.h>

#include "velora/playback/movie_device.h"
#include "velora/playback/movie_file.h"
#include "velora/playback/movie_geometry.h"

namespace velora {

void PlaybackEngine::StartPlayback(HWND playerWindow, const PlaylistFile& playlistFile) {
  window = playerWindow;
  // Held open for the window's life, so that the video driver stays loaded.
  mci.SendString("open AVIVideo");
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
  movieWindow.reset();
  InvalidateRect(window, &movieRect, TRUE);
  // Before the next device draws: a black repaint after its first picture would hide it.
  if (!aviFile) UpdateWindow(window);

  if (OpenMovieFile(mci, path, deviceId) != 0) return -1;
  drawsAtWindowOrigin = !aviFile;

  // A device without a picture refuses the picture steps and just plays its sound.
  MCI_DGV_RECT_PARMS source{};
  mci.SendCommand(deviceId, MCI_WHERE, MCI_DGV_WHERE_SOURCE, &source);
  Placement place = ComputeMovieRect(source.rc.right, source.rc.bottom, screen.right - screen.left,
                                     screen.bottom - screen.top, settings.Zoom, settings.Center, ProcessRandom());
  place.x += screen.left;
  place.y += screen.top;

  movieRect = {place.x, place.y, place.x + place.width, place.y + place.height};
  MCI_DGV_WINDOW_PARMSA target{};
  if (aviFile) {
    target.hWnd = window;
  } else {
    movieWindow = CreateMovieWindow(window, movieRect);
    // Under the covers of the other monitors, which cut a movie larger than the primary.
    if (movieWindow)
      SetWindowPos(movieWindow.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    target.hWnd = movieWindow ? movieWindow.get() : window;
  }
  mci.SendCommand(deviceId, MCI_WINDOW, MCI_DGV_WINDOW_HWND, &target);
  PutDestination();

  MCI_DGV_SET_PARMS speed{};
  speed.dwSpeed = static_cast<DWORD>(settings.Speed);
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
  if (deviceId == 0) return;
  if (drawsAtWindowOrigin)
    SetWindowPos(movieWindow.get(), nullptr, movieRect.left, movieRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  else
    PutDestination();
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
  mci.SendString("close AVIVideo");
  // The application ends its loop when its main window goes.
}

}  // namespace velora
