#include "fracsave/shell/saver_shell.h"

#include "fracsave/core/column_feed.h"
#include "fracsave/core/mode_letter.h"
#include "fracsave/settings/saver_settings_io.h"
#include "framework/handles.h"

namespace fracsave {

namespace {

void PostToSelf(HWND window, UINT message) { PostMessageA(window, message, 0, 0); }

Saver* SaverOf(HWND window) { return reinterpret_cast<Saver*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

}  // namespace

Saver::Saver(HINSTANCE instance, fw::ScreenLayoutSource screens) : screens_(screens) {
  picture_.pump = [this](HWND window) { return PumpPaced(window); };
  picture_.pumpPaced = true;
  dialogs_.instance = instance;
  dialogs_.settings = &picture_.settings;
}

// A position that cannot be read (another desktop has the input) is no reference.
void Saver::TakeReference() {
  POINT at;
  if (GetCursorPos(&at)) shell_.reference.Take(at.x, at.y);
}

// A new scene: a new region at once, and the AlterCorners count from 0.
void Saver::StartNewScene() {
  SaverState& state = picture_.state;
  state.frameBusy = 0;
  state.abortFrame = 0;
  state.newImage = 1;
  ChooseCorners(picture_);
  state.alterCount = 0;
}

// A frame calls its pump after every pixel pair. Looking at the queue costs a
// round trip to the window system each time, far more than a pixel pair, so
// the frame pumps at most once per millisecond tick: input still gets through
// within a few milliseconds, and the frame runs at close to the speed of its
// arithmetic.
int Saver::PumpPaced(HWND window) {
  const DWORD now = GetTickCount();
  if (now == shell_.lastLook) return 0;
  shell_.lastLook = now;
  return PumpSaverMessages(window);
}

// The frame's size and place: the primary monitor's, in the saver window.
void Saver::TakeMonitors(const fw::ScreenCover& monitors) {
  shell_.monitors = monitors;
  picture_.state.screenWidth = fw::WidthOf(monitors.primary);
  picture_.state.screenHeight = fw::HeightOf(monitors.primary);
}

// Every monitor but the primary stays black; the primary shows the frames
// (WM_ERASEBKGND erases nothing, so a repaint leaves the picture as it is).
void Saver::PaintOtherMonitorsBlack(HWND window) {
  const fw::PaintDc paint(window);
  const fw::ScreenCover& monitors = shell_.monitors;
  for (int i = 0; i < monitors.blackCount; ++i) {
    const RECT& band = monitors.black[i];
    PatBlt(paint.get(), band.left, band.top, fw::WidthOf(band), fw::HeightOf(band), BLACKNESS);
  }
}

// A new scene now, or, during a frame, once that frame has unwound.
void Saver::StartNewSceneSoon() {
  if (shell_.frameDepth > 0) {
    // Abandon the frame; the tick that runs it starts the new scene once it
    // has unwound. Ticks stay dropped meanwhile.
    picture_.state.abortFrame = 1;
    shell_.resumeAfterFrame = 1;
  } else {
    StartNewScene();
  }
}

// Monitors came, went or moved: cover them all again, and a new scene at the
// primary monitor's new size.
void Saver::FitToMonitors(HWND window) {
  const fw::ScreenCover monitors = fw::CoverOf(screens_());
  fw::MoveOverMonitors(window, monitors);
  TakeMonitors(monitors);
  // Black first, also where a frame under way still lands as it is abandoned.
  shell_.clearBeforeFrame = 1;
  StartNewSceneSoon();
}

LRESULT Saver::Tick(HWND window) {
  SaverState& state = picture_.state;
  if (state.frameBusy || state.abortFrame) return 0;
  // No frame while the password prompt is up: a frame pumps only this
  // window's queue, so the prompt would freeze until the frame ended.
  if (shell_.promptActive) return 0;
  if (!picture_.settings.alterCorners || state.alterCount >= 8) {
    state.newImage = 1;
    ChooseCorners(picture_);
    state.alterCount = 0;
  }
  state.frameBusy = 1;
  ++shell_.frameDepth;
  {
    const fw::WindowDc dc(window);
    if (shell_.clearBeforeFrame) {
      RECT client;
      GetClientRect(window, &client);
      PatBlt(dc.get(), 0, 0, client.right, client.bottom, BLACKNESS);
      shell_.clearBeforeFrame = 0;
    }
    // The picture goes on the primary monitor, where it stands when that is the only one.
    SetViewportOrgEx(dc.get(), shell_.monitors.primary.left, shell_.monitors.primary.top, nullptr);
    IntersectClipRect(dc.get(), 0, 0, state.screenWidth, state.screenHeight);
    DrawFractalFrame(picture_, dc.get(), state.screenWidth, state.screenHeight, window);
  }
  --shell_.frameDepth;
  state.frameBusy = 0;
  RotateColourTable(picture_, 32);
  state.alterCount += 1;
  // A password refused during that frame abandoned it; the new scene starts
  // now, so the frame's own end (which clears newImage) cannot swallow it.
  if (shell_.resumeAfterFrame) {
    shell_.resumeAfterFrame = 0;
    if (IsWindow(window)) StartNewScene();
  }
  return 0;
}

bool Saver::OnSaverMessage(HWND window, UINT message, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_CREATE:
      TakeMonitors(fw::CoverOf(screens_()));
      SetTimer(window, kFrameTimer, kFrameIntervalMs, nullptr);
      picture_.state.newImage = 1;
      picture_.state.abortFrame = 0;
      ReadFrameSettings(picture_.settings);
      if (picture_.settings.randCorners) ChooseCorners(picture_);
      BuildColourTable(picture_);
      return false;
    case WM_DESTROY:
      KillTimer(window, kFrameTimer);
      return false;
    case WM_CLOSE:
      picture_.state.abortFrame = 1;
      return false;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_TIMER:
      *result = Tick(window);
      return true;
    case WM_SAVER_RESUME:
      StartNewSceneSoon();
      return false;
    case WM_PAINT:
      PaintOtherMonitorsBlack(window);
      return true;
    case WM_DISPLAYCHANGE:
      FitToMonitors(window);
      return false;
    default:
      return false;
  }
}

void Saver::OnInputMessage(HWND window, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (wParam != 0 || shell_.promptActive)
        TakeReference();
      else
        PostToSelf(window, WM_SAVER_CHECKCLOSE);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (!shell_.promptActive) PostToSelf(window, WM_SAVER_CHECKCLOSE);
      break;
    case WM_MOUSEMOVE:
      if (!shell_.promptActive) {
        SetCursor(nullptr);
        // A position that cannot be read tells nothing about a move.
        POINT now;
        if (GetCursorPos(&now) && shell_.reference.Moved(now.x, now.y)) PostToSelf(window, WM_SAVER_CHECKCLOSE);
      }
      break;
    case WM_SAVER_CHECKCLOSE:
      if (!shell_.promptActive) {
        shell_.promptActive = 1;
        PostToSelf(window, CheckSaverPassword(dialogs_) == 1 ? WM_CLOSE : WM_SAVER_RESUME);
        shell_.promptActive = 0;
      }
      break;
    default:
      break;
  }
}

int Saver::Run(const char* commandLine) {
  const HINSTANCE instance = dialogs_.instance;
  ReadSaverSettings(picture_.settings);
  if (!IsSaverMode(commandLine)) {
    RunConfigureDialog(dialogs_);
    return 0;
  }

  WNDCLASSA wc = {};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = ScreenSaverProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ID_APP");
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kSaverClass;
  if (!RegisterClassA(&wc)) return 1;

  // Every monitor is covered; the frames are drawn on the primary.
  const RECT all = fw::CoverOf(screens_()).window;
  HWND window = CreateWindowExA(0, kSaverClass, kSaverTitle, WS_POPUP | WS_VISIBLE, all.left, all.top,
                                fw::WidthOf(all), fw::HeightOf(all), nullptr, nullptr, instance, this);
  if (!window) return 1;
  dialogs_.mainWindow = window;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The frame workers sleep between frames and end with the saver, as does
  // the frame bitmap kept for the next frame.
  StopFrameWorkers();
  return int(msg.wParam);
}

int PumpSaverMessages(HWND window) {
  int handled = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    handled = 1;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return handled;
}

LRESULT CALLBACK SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (Saver* saver = SaverOf(window)) saver->OnInputMessage(window, message, wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

int SaverEntry(HINSTANCE instance, HINSTANCE, const char* commandLine, int) {
  if (FindWindowA(kSaverClass, kSaverTitle)) return 1;
  Saver saver(instance);
  return saver.Run(commandLine);
}

}  // namespace fracsave

using namespace fracsave;

// The saver comes as the window's creation data and stays in GWLP_USERDATA;
// messages before it is there get default processing only.
LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  LRESULT result = 0;
  if (Saver* saver = SaverOf(window); saver && saver->OnSaverMessage(window, message, &result)) return result;
  return SaverInputProc(window, message, wParam, lParam);
}
