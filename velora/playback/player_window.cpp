#include "velora/playback/player_window.h"

#include "framework/handles.h"
#include "framework/screen_layout.h"
#include "velora/playback/core/movie_geometry.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

const char kClassName[] = "VeloraPlayer";

const char* RegisterPlayerClass() {
  // Every pixel transparent: no pointer over the movies.
  HCURSOR invisible = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_INVISIBLE_CURSOR));
  return fw::Window::RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, invisible, nullptr);
}

}  // namespace

FW_BEGIN_MESSAGE_MAP(PlayerWindow, fw::Window)
  FW_ON_MESSAGE(WM_CREATE, OnCreate)
  FW_ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  FW_ON_MESSAGE(WM_PAINT, OnPaint)
  FW_ON_MESSAGE(WM_TIMER, OnTimer)
  FW_ON_MESSAGE(MM_MCINOTIFY, OnMciNotify)
  FW_ON_MESSAGE(WM_SAVER_MOVIE_PAINT, OnMoviePaint)
  FW_ON_MESSAGE(WM_SAVER_MOVIE_EVENT, OnMovieEvent)
  FW_ON_MESSAGE(WM_QUERYNEWPALETTE, OnQueryNewPalette)
  FW_ON_MESSAGE(WM_PALETTECHANGED, OnPaletteChanged)
  FW_ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
  FW_ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
FW_END_MESSAGE_MAP()

PlayerWindow::PlayerWindow(PlayerPorts ports, const PlaybackSettings& settings, PlaylistFile file)
    : engine(ports, settings), screens(ports.screens), playlistFile(std::move(file)) {}

bool PlayerWindow::CreateFullScreen() {
  const char* windowClass = RegisterPlayerClass();
  if (!windowClass) return false;
  // Every monitor is covered, so that none shows the desktop; the movies play on the primary.
  const fw::ScreenCover monitors = fw::CoverOf(screens());
  engine.screen = monitors.primary;
  // Clipping its children keeps the black of a repaint off a movie's own window.
  if (!Create(WS_EX_TOPMOST, windowClass, "Velora", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, monitors.window,
              nullptr, 0))
    return false;
  // A movie device may show the window while it is being created, and the
  // window is then never activated: keys would not reach it, and losing an
  // activation it never had could not end the saver. Make it the active window.
  SetForegroundWindow(hwnd());
  SetActiveWindow(hwnd());
  return true;
}

LRESULT PlayerWindow::OnCreate(fw::Message&) {
  if (Default() == -1) return -1;
  CoverOtherMonitors();
  engine.StartPlayback(hwnd(), playlistFile);
  return 0;
}

LRESULT PlayerWindow::OnEraseBackground(fw::Message& msg) {
  RECT client;
  GetClientRect(hwnd(), &client);
  PatBlt(reinterpret_cast<HDC>(msg.wParam), 0, 0, client.right, client.bottom, BLACKNESS);
  return 1;
}

LRESULT PlayerWindow::OnPaint(fw::Message&) {
  fw::PaintDc dc(hwnd());
  // With movies, the devices draw into the window themselves, and the
  // player draws Media Foundation's picture.
  if (!engine.HasMovies()) PaintNoMoviesHint(dc.get());
  engine.PaintMovie(hwnd(), dc.get());
  return 0;
}

void PlayerWindow::PaintNoMoviesHint(HDC dc) {
  std::string hint = fw::LoadResourceString(IDS_NO_MOVIES);
  SIZE text{};
  GetTextExtentPointA(dc, hint.c_str(), static_cast<int>(hint.size()), &text);
  const RECT& screen = engine.screen;
  Placement at = PlaceHint(text.cx, text.cy, fw::WidthOf(screen), fw::HeightOf(screen), ProcessRandom());
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(255, 0, 0));
  TextOutA(dc, screen.left + at.x, screen.top + at.y, hint.c_str(), static_cast<int>(hint.size()));
}

LRESULT PlayerWindow::OnTimer(fw::Message& msg) {
  if (msg.wParam == kHintTimer) InvalidateRect(hwnd(), nullptr, TRUE);
  if (msg.wParam == kSkipTimer) engine.SkipFailedMovie();
  return Default();
}

LRESULT PlayerWindow::OnMciNotify(fw::Message& msg) {
  engine.AdvanceToNextMovie(msg.wParam);
  return 0;
}

LRESULT PlayerWindow::OnMoviePaint(fw::Message& msg) {
  engine.PaintMovie(reinterpret_cast<HWND>(msg.lParam), reinterpret_cast<HDC>(msg.wParam));
  return 0;
}

LRESULT PlayerWindow::OnMovieEvent(fw::Message& msg) {
  engine.OnMovieEvent(msg.wParam, msg.lParam);
  return 0;
}

LRESULT PlayerWindow::OnQueryNewPalette(fw::Message&) {
  engine.RealizePalette();
  return Default();
}

LRESULT PlayerWindow::OnPaletteChanged(fw::Message&) {
  LRESULT result = Default();
  engine.RealizePalette();
  return result;
}

LRESULT PlayerWindow::OnKeyDown(fw::Message& msg) {
  if (msg.wParam == VK_ESCAPE) PostClose();
  return Default();
}

LRESULT PlayerWindow::OnDestroy(fw::Message&) {
  otherMonitorCovers.clear();
  engine.StopPlayback();
  return Default();
}

LRESULT PlayerWindow::OnDisplayChange(fw::Message&) {
  // Monitors came, went or moved: cover them all again; the movie keeps its
  // place on the primary monitor, wherever that now is in the window.
  const fw::ScreenCover monitors = fw::CoverOf(screens());
  fw::MoveOverMonitors(hwnd(), monitors);
  engine.MoveScreen(monitors.primary);
  CoverOtherMonitors();
  InvalidateRect(hwnd(), nullptr, TRUE);
  return 0;
}

void PlayerWindow::CoverOtherMonitors() {
  otherMonitorCovers.clear();
  // The window covers the virtual screen, so its client area stands for it.
  RECT all{};
  GetClientRect(hwnd(), &all);
  const fw::ScreenCover inWindow = fw::CoverMonitors(all, engine.screen);
  for (int i = 0; i < inWindow.blackCount; ++i)
    otherMonitorCovers.push_back(CreateMovieWindow(hwnd(), inWindow.black[i]));
}

}  // namespace velora
