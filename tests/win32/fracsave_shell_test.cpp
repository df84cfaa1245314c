// The fractal saver's window procedures in this process: the frame tick, the
// resume and close during a frame, and the input watch.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fracsave/core/saver_state.h"
#include "fracsave/dialogs/saver_dialogs.h"
#include "fracsave/settings/saver_settings_io.h"
#include "fracsave/shell/saver_shell.h"
#include "fracsave/win32/fractal_frame.h"
#include "framework/screen_layout.h"
#include "tests/win32/fracsave_saver_access.h"
#include "tests/win32/high_dpi.h"

using namespace fracsave;

namespace {

const char kTestClass[] = "FracsaveShellTest";

// What the pump saw during a frame, and what it injects into it.
struct PumpWatch {
  int calls = 0;
  int injectAt = -1;  // the pump call on which to post `inject`
  UINT inject = 0;
  bool alsoTick = false;
  int maxFrameDepth = 0;
  int callsAfterInject = 0;
};
PumpWatch g_watch;
Saver* g_saver;  // the saver under test, whose frames the pump watches

int WatchingPump(HWND window) {
  ++g_watch.calls;
  g_watch.maxFrameDepth = std::max(g_watch.maxFrameDepth, int(SaverTestAccess::Shell(*g_saver).frameDepth));
  if (g_watch.injectAt >= 0 && g_watch.calls > g_watch.injectAt) ++g_watch.callsAfterInject;
  if (g_watch.calls == g_watch.injectAt) {
    PostMessageA(window, g_watch.inject, 0, 0);
    // A tick right behind it must not start a frame inside this one.
    if (g_watch.alsoTick) PostMessageA(window, WM_TIMER, kFrameTimer, 0);
  }
  return PumpSaverMessages(window);
}

void DrainQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

bool TakePosted(HWND window, UINT message) {
  MSG msg;
  bool found = false;
  while (PeekMessageA(&msg, window, message, message, PM_REMOVE)) found = true;
  return found;
}

// The monitors the saver sees: the system's, or a second one left of the
// primary while a test plays it being plugged in.
bool g_twoMonitors = false;
fw::ScreenLayout Monitors() {
  return g_twoMonitors ? fw::ScreenLayout{{-32, 0, 80, 48}, {0, 0, 80, 48}} : fw::ReadScreenLayout();
}

class FracsaveShell : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
    WritePrivateProfileStringA(kPasswordSection, kPasswordKey, nullptr, kControlIni);
    // Fast frames keep the tests short.
    WritePrivateProfileStringA(kSaverSection, "FastGen", "1", kControlIni);
    g_watch = PumpWatch{};
    g_saver = &saver;
    SaverTestAccess::SetPump(saver, WatchingPump);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ScreenSaverProc;
    wc.hInstance = instance;
    wc.lpszClassName = kTestClass;
    RegisterClassA(&wc);
    window = CreateWindowExA(0, kTestClass, "test saver", WS_POPUP, 0, 0, 64, 48, nullptr,
                             nullptr, instance, &saver);
    ASSERT_TRUE(window);
    KillTimer(window, kFrameTimer);  // ticks are sent by hand here
    dialogs.mainWindow = window;
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    DrainQuit();
    g_saver = nullptr;
    UnregisterClassA(kTestClass, instance);
    WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
  }
  void Tick() { SendMessageA(window, WM_TIMER, kFrameTimer, 0); }
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  Saver saver{instance, Monitors};
  SaverState& state = SaverTestAccess::State(saver);
  SaverSettings& settings = SaverTestAccess::Settings(saver);
  DialogContext& dialogs = SaverTestAccess::Dialogs(saver);
  SaverTestAccess::ShellState& shell = SaverTestAccess::Shell(saver);
  HWND window = nullptr;
};

TEST_F(FracsaveShell, CreationReadsFrameSettingsAndTicksDrawFrames) {
  EXPECT_EQ(settings.fastGen, 1);
  EXPECT_EQ(state.newImage, 1);
  EXPECT_EQ(state.screenWidth, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(state.colourTable.entry[42].green, 255);  // the table is built
  Tick();
  EXPECT_EQ(state.frameCount, 1);
  EXPECT_EQ(state.alterCount, 1);
  EXPECT_EQ(state.frameBusy, 0);
  EXPECT_EQ(state.newImage, 0);
  EXPECT_EQ(g_watch.maxFrameDepth, 1);
  // Both choices of the scene fell on presets 0 and 1.
  EXPECT_EQ(state.presetIndex, 2);
  EXPECT_EQ(state.mset.xmin, -2.05);
}

TEST_F(FracsaveShell, ResumeDuringAFrameAbandonsItAndStartsTheNewSceneAfterIt) {
  g_watch.injectAt = 50;
  g_watch.inject = WM_SAVER_RESUME;
  g_watch.alsoTick = true;
  state.alterCount = 5;
  Tick();
  const int pairs = state.screenWidth * (state.screenHeight / 2 + 1);
  EXPECT_EQ(state.frameCount, 1);  // the tick behind the resume was dropped
  EXPECT_EQ(g_watch.maxFrameDepth, 1);
  EXPECT_LT(g_watch.callsAfterInject, pairs / 10);  // the frame stopped soon after
  // The new scene is waiting for the next tick.
  EXPECT_EQ(state.newImage, 1);
  EXPECT_EQ(state.abortFrame, 0);
  EXPECT_EQ(state.frameBusy, 0);
  EXPECT_EQ(state.alterCount, 0);
  EXPECT_EQ(shell.resumeAfterFrame, 0);
  g_watch = PumpWatch{};
  Tick();
  EXPECT_EQ(state.frameCount, 2);
  EXPECT_EQ(g_watch.calls, pairs);  // a whole frame this time
}

TEST_F(FracsaveShell, ResumeBetweenFramesPicksANewRegionAtOnce) {
  Tick();
  state.alterCount = 5;
  const int32_t index = state.presetIndex;
  SendMessageA(window, WM_SAVER_RESUME, 0, 0);
  EXPECT_EQ(state.presetIndex, index + 1);
  EXPECT_EQ(state.newImage, 1);
  EXPECT_EQ(state.alterCount, 0);
}

TEST_F(FracsaveShell, NoFrameStartsWhileThePromptIsUp) {
  shell.promptActive = 1;
  Tick();
  EXPECT_EQ(state.frameCount, 0);
  EXPECT_EQ(g_watch.calls, 0);
  shell.promptActive = 0;
  Tick();
  EXPECT_EQ(state.frameCount, 1);
}

TEST_F(FracsaveShell, CloseDuringAFrameStopsItAndEndsTheWindow) {
  g_watch.injectAt = 50;
  g_watch.inject = WM_CLOSE;
  Tick();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(state.frameCount, 1);
  EXPECT_LT(g_watch.callsAfterInject, 10);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(FracsaveShell, InputRaisesTheCloseRequestOnlyWithNoPromptUp) {
  POINT now;
  GetCursorPos(&now);
  // The first move only takes the reference.
  SendMessageA(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(TakePosted(window, WM_SAVER_CHECKCLOSE));
  EXPECT_EQ(shell.reference.x(), now.x);
  EXPECT_EQ(shell.reference.y(), now.y);
  // A one-pixel difference counts.
  shell.reference.Take(now.x + 1, now.y);
  SendMessageA(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(TakePosted(window, WM_SAVER_CHECKCLOSE));
  // With monitors left of and above the primary, -1, -1 is a real place to start from.
  shell.reference.Take(-1, -1);
  SendMessageA(window, WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(TakePosted(window, WM_SAVER_CHECKCLOSE));
  for (UINT m : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    SendMessageA(window, m, 0, 0);
    EXPECT_TRUE(TakePosted(window, WM_SAVER_CHECKCLOSE)) << m;
  }
  SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_TRUE(TakePosted(window, WM_SAVER_CHECKCLOSE));
  for (UINT m : {WM_KEYUP, WM_CHAR, WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
    SendMessageA(window, m, 0, 0);
    EXPECT_FALSE(TakePosted(window, WM_SAVER_CHECKCLOSE)) << m;
  }

  shell.promptActive = 1;
  for (UINT m : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE}) SendMessageA(window, m, 0, 0);
  SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);  // takes the reference afresh
  EXPECT_FALSE(TakePosted(window, WM_SAVER_CHECKCLOSE));
  EXPECT_EQ(shell.reference.x(), now.x);
  // A close request while the prompt is up is ignored.
  SendMessageA(window, WM_SAVER_CHECKCLOSE, 0, 0);
  EXPECT_FALSE(TakePosted(window, WM_CLOSE));
}

TEST_F(FracsaveShell, CloseRequestWithoutPasswordClosesAndARefusalResumes) {
  SendMessageA(window, WM_SAVER_CHECKCLOSE, 0, 0);
  EXPECT_TRUE(TakePosted(window, WM_CLOSE));
  EXPECT_EQ(shell.promptActive, 0);
  // Protected, but the prompt cannot be made here: refused, carry on.
  settings.pwProtected = 1;
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, "XY", kControlIni);
  dialogs.instance = GetModuleHandleA("kernel32.dll");
  SendMessageA(window, WM_SAVER_CHECKCLOSE, 0, 0);
  EXPECT_FALSE(TakePosted(window, WM_CLOSE));
  EXPECT_TRUE(TakePosted(window, WM_SAVER_RESUME));
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, nullptr, kControlIni);
}

// Where the saver's window was, seen from inside its own message loop.
RECT g_saverWindowAt;
void CALLBACK NoteSaverWindowAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND saver = FindWindowA(kSaverClass, kSaverTitle);
  if (!saver) return;
  KillTimer(nullptr, timer);
  GetWindowRect(saver, &g_saverWindowAt);
  PostMessageA(saver, WM_CLOSE, 0, 0);
}

// Started as the system starts it, the saver covers the screen as the display
// has it, in real pixels at any DPI, and draws its frames at that size.
TEST_F(FracsaveShell, TheSaverCoversTheWholeScreenInItsRealPixels) {
  const SIZE screen = high_dpi::BenchScreen();
  ASSERT_GT(screen.cx, 0) << "BENCH_SCREEN not set";
  g_saverWindowAt = RECT{};
  Saver started(instance);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, NoteSaverWindowAndClose);
  EXPECT_EQ(started.Run("/s"), 0);
  KillTimer(nullptr, timer);
  UnregisterClassA(kSaverClass, instance);
  const RECT& r = g_saverWindowAt;
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, screen.cx, screen.cy}));
  EXPECT_EQ(started.State().screenWidth, screen.cx);
  EXPECT_EQ(started.State().screenHeight, screen.cy);
}

TEST_F(FracsaveShell, PumpPassesTheQuitMessageOn) {
  PostMessageA(window, WM_NULL, 0, 0);
  EXPECT_EQ(PumpSaverMessages(window), 1);
  EXPECT_EQ(PumpSaverMessages(window), 0);
  PostQuitMessage(7);
  PumpSaverMessages(window);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace

// A second monitor plugged in left of the primary while a frame is drawn: the
// window covers both, the frame under way is abandoned, and the next one is
// drawn at the primary's size and place.
TEST_F(FracsaveShell, ADisplayChangeDuringAFrameCoversTheNewDesktopAndStartsANewScene) {
  g_twoMonitors = true;
  g_watch.injectAt = 50;
  g_watch.inject = WM_DISPLAYCHANGE;
  state.alterCount = 5;
  Tick();
  g_twoMonitors = false;
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, -32);
  EXPECT_EQ(r.right, 80);
  EXPECT_EQ(state.screenWidth, 80);
  EXPECT_EQ(state.screenHeight, 48);
  EXPECT_EQ(shell.monitors.primary.left, 32);  // where frames are drawn
  EXPECT_EQ(shell.monitors.primary.top, 0);
  EXPECT_LT(g_watch.callsAfterInject, 100);  // the old frame stopped soon after
  EXPECT_EQ(state.newImage, 1);
  EXPECT_EQ(state.alterCount, 0);
  EXPECT_EQ(shell.clearBeforeFrame, 1);
  g_watch = PumpWatch{};
  Tick();
  EXPECT_EQ(g_watch.calls, 80 * (48 / 2 + 1));  // a whole frame at the new size, on black
  EXPECT_EQ(shell.clearBeforeFrame, 0);
}
