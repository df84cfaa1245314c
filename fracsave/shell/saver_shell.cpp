#include "fracsave/shell/saver_shell.h"

#include "fracsave/core/column_feed.h"
#include "fracsave/core/mode_letter.h"
#include "fracsave/core/saver_state.h"
#include "fracsave/dialogs/saver_dialogs.h"
#include "fracsave/settings/saver_settings_io.h"
#include "fracsave/win32/fractal_frame.h"
#include "framework/screen_layout.h"

namespace fracsave {

ShellState g_shell;

namespace {

void PostToSelf(HWND window, UINT message) { PostMessageA(window, message, 0, 0); }

void TakeReference() {
  GetCursorPos(&g_shell.reference);
  g_shell.referenceTaken = 1;
}

// A new scene: a new region at once, and the AlterCorners count from 0.
void StartNewScene() {
  g_saverState.frameBusy = 0;
  g_saverState.abortFrame = 0;
  g_saverState.newImage = 1;
  ChooseCorners();
  g_saverState.alterCount = 0;
}

// A frame calls its pump after every pixel pair. Looking at the queue costs a
// round trip to the window system each time, far more than a pixel pair, so
// the frame pumps at most once per millisecond tick: input still gets through
// within a few milliseconds, and the frame runs at close to the speed of its
// arithmetic.
int PumpSaverMessagesPaced(HWND window) {
  static DWORD lastLook;
  const DWORD now = GetTickCount();
  if (now == lastLook) return 0;
  lastLook = now;
  return PumpSaverMessages(window);
}

// The frame's size and place: the primary monitor's, in the saver window.
void TakePrimaryMonitor(const fw::ScreenLayout& layout) {
  const RECT primary = layout.PrimaryInWindow();
  g_saverState.screenWidth = fw::WidthOf(primary);
  g_saverState.screenHeight = fw::HeightOf(primary);
  g_shell.frameOrigin = {primary.left, primary.top};
}

// Every monitor but the primary stays black; the primary shows the frames
// (WM_ERASEBKGND erases nothing, so a repaint leaves the picture as it is).
void PaintOtherMonitorsBlack(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const RECT& dirty = paint.rcPaint;
  ExcludeClipRect(dc, g_shell.frameOrigin.x, g_shell.frameOrigin.y,
                  g_shell.frameOrigin.x + g_saverState.screenWidth, g_shell.frameOrigin.y + g_saverState.screenHeight);
  PatBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, BLACKNESS);
  EndPaint(window, &paint);
}

// A new scene now, or, during a frame, once that frame has unwound.
void StartNewSceneSoon() {
  if (g_shell.frameDepth > 0) {
    // Abandon the frame; the tick that runs it starts the new scene once it
    // has unwound. Ticks stay dropped meanwhile.
    g_saverState.abortFrame = 1;
    g_shell.resumeAfterFrame = 1;
  } else {
    StartNewScene();
  }
}

// Monitors came, went or moved: cover them all again, and a new scene at the
// primary monitor's new size.
void FitToMonitors(HWND window) {
  const fw::ScreenLayout layout = fw::CurrentScreenLayout();
  const RECT& all = layout.virtualScreen;
  SetWindowPos(window, nullptr, all.left, all.top, fw::WidthOf(all), fw::HeightOf(all),
               SWP_NOZORDER | SWP_NOACTIVATE);
  TakePrimaryMonitor(layout);
  // Black first, also where a frame under way still lands as it is abandoned.
  g_shell.clearBeforeFrame = 1;
  StartNewSceneSoon();
}

LRESULT Tick(HWND window) {
  if (g_saverState.frameBusy || g_saverState.abortFrame) return 0;
  // No frame while the password prompt is up: a frame pumps only this
  // window's queue, so the prompt would freeze until the frame ended.
  if (g_shell.promptActive) return 0;
  if (!g_saverSettings.alterCorners || g_saverState.alterCount >= 8) {
    g_saverState.newImage = 1;
    ChooseCorners();
    g_saverState.alterCount = 0;
  }
  g_saverState.frameBusy = 1;
  ++g_shell.frameDepth;
  HDC dc = GetDC(window);
  if (g_shell.clearBeforeFrame) {
    RECT client;
    GetClientRect(window, &client);
    PatBlt(dc, 0, 0, client.right, client.bottom, BLACKNESS);
    g_shell.clearBeforeFrame = 0;
  }
  // The picture goes on the primary monitor, where it stands when that is the only one.
  SetViewportOrgEx(dc, g_shell.frameOrigin.x, g_shell.frameOrigin.y, nullptr);
  IntersectClipRect(dc, 0, 0, g_saverState.screenWidth, g_saverState.screenHeight);
  DrawFractalFrame(dc, g_saverState.screenWidth, g_saverState.screenHeight, window);
  ReleaseDC(window, dc);
  --g_shell.frameDepth;
  g_saverState.frameBusy = 0;
  RotateColourTable(32);
  g_saverState.alterCount += 1;
  // A password refused during that frame abandoned it; the new scene starts
  // now, so the frame's own end (which clears newImage) cannot swallow it.
  if (g_shell.resumeAfterFrame) {
    g_shell.resumeAfterFrame = 0;
    if (IsWindow(window)) StartNewScene();
  }
  return 0;
}

}  // namespace

void UseSaverPump() { SetFramePump(PumpSaverMessagesPaced, true); }

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
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      if (wParam != 0 || g_shell.promptActive)
        TakeReference();
      else
        PostToSelf(window, WM_SAVER_CHECKCLOSE);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (!g_shell.promptActive) PostToSelf(window, WM_SAVER_CHECKCLOSE);
      break;
    case WM_MOUSEMOVE:
      if (!g_shell.promptActive) {
        SetCursor(nullptr);
        POINT now;
        GetCursorPos(&now);
        if (!g_shell.referenceTaken) {
          g_shell.reference = now;
          g_shell.referenceTaken = 1;
        } else if (now.x != g_shell.reference.x || now.y != g_shell.reference.y)
          PostToSelf(window, WM_SAVER_CHECKCLOSE);
      }
      break;
    case WM_SAVER_CHECKCLOSE:
      if (!g_shell.promptActive) {
        g_shell.promptActive = 1;
        PostToSelf(window, CheckSaverPassword() == 1 ? WM_CLOSE : WM_SAVER_RESUME);
        g_shell.promptActive = 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int SaverEntry(HINSTANCE instance, HINSTANCE, const char* commandLine, int) {
  g_instance = instance;
  if (FindWindowA(kSaverClass, kSaverTitle)) return 1;
  ReadSaverSettings();
  if (!IsSaverMode(commandLine)) {
    DialogBoxParamA(instance, "DLG_SCRNSAVECONFIGURE", nullptr, ScreenSaverConfigureDialog, 0);
    return 0;
  }

  UseSaverPump();
  WNDCLASSA wc = {};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = ScreenSaverProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ID_APP");
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kSaverClass;
  if (!RegisterClassA(&wc)) return 1;

  // Every monitor is covered; the frames are drawn on the primary.
  const RECT all = fw::CurrentScreenLayout().virtualScreen;
  HWND window = CreateWindowExA(0, kSaverClass, kSaverTitle, WS_POPUP | WS_VISIBLE, all.left, all.top,
                                fw::WidthOf(all), fw::HeightOf(all), nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  g_mainWindow = window;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The frame workers sleep between frames and the frame bitmap waits for the
  // next frame; both end with the saver.
  StopFrameWorkers();
  ReleaseFrameBitmap();
  return int(msg.wParam);
}

}  // namespace fracsave

using namespace fracsave;

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      TakePrimaryMonitor(fw::CurrentScreenLayout());
      SetTimer(window, kFrameTimer, kFrameIntervalMs, nullptr);
      g_saverState.newImage = 1;
      g_saverState.abortFrame = 0;
      ReadFrameSettings();
      if (g_saverSettings.randCorners) ChooseCorners();
      BuildColourTable();
      break;
    case WM_DESTROY:
      KillTimer(window, kFrameTimer);
      break;
    case WM_CLOSE:
      g_saverState.abortFrame = 1;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      return Tick(window);
    case WM_SAVER_RESUME:
      StartNewSceneSoon();
      break;
    case WM_PAINT:
      PaintOtherMonitorsBlack(window);
      return 0;
    case WM_DISPLAYCHANGE:
      FitToMonitors(window);
      break;
    default:
      break;
  }
  return SaverInputProc(window, message, wParam, lParam);
}
