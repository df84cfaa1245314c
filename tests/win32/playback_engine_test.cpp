// The playback engine inside a real full-screen window, with a recording MCI
// port in place of the system's: every command, flag and parameter it sends.
#include <gtest/gtest.h>
#include <windows.h>

#include <digitalv.h>

#include <string>

#include "framework/screen_layout.h"
#include "recording_mci.h"
#include "tests/win32/high_dpi.h"
#include "velora/playback/player_window.h"
#include "velora/playback/saver_window.h"
#include "framework/system_libraries.h"
#include "velora/playback/media_foundation_platform.h"

namespace velora {

// The engine's and the windows' state the tests read and set.
class PlaybackTestAccess {
 public:
  static MCIDEVICEID DeviceId(const PlayerWindow& w) { return w.engine.deviceId; }
  static RECT MovieRect(const PlayerWindow& w) { return w.engine.movieRect; }
  static int CurrentIndex(const PlayerWindow& w) { return w.engine.currentIndex; }
  static const std::vector<std::string>& MovieList(const PlayerWindow& w) { return w.engine.movieList; }
  static auto& LastMouse(SaverWindow& w) { return w.lastMouse; }
};

namespace {

using Access = PlaybackTestAccess;

std::vector<std::string> librariesAsked;
HMODULE NoSuchLibrary(const char* name) {
  librariesAsked.push_back(name);
  return nullptr;
}

// Media Foundation is kept away: every movie goes to the recording port.
class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    librariesAsked.clear();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "velora-engine-test.ini";
    settings.Center = 1;
  }
  void TearDown() override {
    if (window && window->hwnd()) DestroyWindow(*window);
    window.reset();
    DeleteFileA(path.c_str());
    // Drop what the window left posted to itself.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Movies(const std::string& lines) {
    std::string text = "Velora PlayLists\r\n\r\n\a>Now\a\r\n" + lines;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
  }

  template <typename W = PlayerWindow>
  void Open() {
    window = std::make_unique<W>(PlayerPorts{mci, noMediaFoundation, screens}, settings, PlaylistFile(path));
    ASSERT_TRUE(window->CreateFullScreen());
  }

  // Delivers what the window has posted itself (notifications, WM_CLOSE).
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, *window, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  void Notify(WPARAM code) { SendMessageA(*window, MM_MCINOTIFY, code, 10); }
  // Whether the timer runs; a timer found is killed, so tests then fire it by hand.
  bool TimerRuns(UINT_PTR id) { return KillTimer(*window, id) != 0; }
  bool ClosePosted() {
    MSG msg;
    return PeekMessageA(&msg, *window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }

  std::string path;
  RecordingMci mci;
  MediaFoundation noMediaFoundation{NoSuchLibrary};
  fw::ScreenLayoutSource screens = fw::ReadScreenLayout;
  PlaybackSettings settings;
  std::unique_ptr<PlayerWindow> window;
};

TEST_F(PlaybackTest, FirstMovieGetsTheWholeCommandSequence) {
  Movies(" C:\\A.AVI\r\n C:\\B.AVI\r\n");
  Open();
  const std::vector<MciCall> calls = mci.Sequence();
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[0].text, "open AVIVideo");
  const std::vector<UINT> expected{0, MCI_OPEN, MCI_WHERE, MCI_WINDOW, MCI_PUT, MCI_SET, MCI_STATUS, MCI_PLAY};
  EXPECT_EQ(mci.Messages(), expected);

  const MciCall& open = calls[1];
  EXPECT_EQ(open.device, 0u);
  EXPECT_EQ(open.flags, static_cast<DWORD_PTR>(MCI_OPEN_ELEMENT));
  EXPECT_EQ(open.text, "C:\\A.AVI");  // no device type: the system picks by extension
  EXPECT_EQ(calls[2].flags, static_cast<DWORD_PTR>(MCI_DGV_WHERE_SOURCE));
  EXPECT_EQ(calls[3].flags, static_cast<DWORD_PTR>(MCI_DGV_WINDOW_HWND));
  EXPECT_EQ(calls[3].window, window->hwnd());
  const MciCall& put = calls[4];
  EXPECT_EQ(put.flags, 0x50000u);
  // MCI's form: left, top, then width and height in the right and bottom fields.
  EXPECT_EQ((std::vector<LONG>{put.rect.left, put.rect.top, put.rect.right, put.rect.bottom}),
            (std::vector<LONG>{160, 120, 320, 240}));
  EXPECT_EQ(calls[5].flags, static_cast<DWORD_PTR>(MCI_DGV_SET_SPEED));
  EXPECT_EQ(calls[5].speed, 1000u);
  EXPECT_EQ(calls[6].flags, static_cast<DWORD_PTR>(MCI_STATUS_ITEM));
  EXPECT_EQ(calls[6].item, static_cast<DWORD>(MCI_STATUS_LENGTH));
  const MciCall& play = calls[7];
  EXPECT_EQ(play.flags, 0x5u);
  EXPECT_EQ(play.from, 0u);
  EXPECT_EQ(play.callback, reinterpret_cast<DWORD_PTR>(window->hwnd()));
  for (size_t i = 2; i < 8; ++i) EXPECT_EQ(calls[i].device, 10u);
  EXPECT_EQ(Access::MovieRect(*window).right, 480);
  EXPECT_EQ(Access::MovieRect(*window).bottom, 360);
}

TEST_F(PlaybackTest, ReverseMuteHalfSizeAndSpeedReachTheDevice) {
  settings = {1, 1, 0, 500, 1};
  Movies(" C:\\A.AVI\r\n");
  Open();
  const MciCall* audio = mci.Last(MCI_SETAUDIO);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->flags, static_cast<DWORD_PTR>(MCI_SET_OFF));
  EXPECT_EQ(mci.Messages().back(), static_cast<UINT>(MCI_PLAY));
  const MciCall* play = mci.Last(MCI_PLAY);
  EXPECT_EQ(play->flags, 0x20005u);
  EXPECT_EQ(play->from, 4321u);  // from the end, back to the start
  EXPECT_EQ(mci.Last(MCI_SET)->speed, 500u);
  RECT r = mci.Last(MCI_PUT)->rect;
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{240, 176, 160, 120}));
}

TEST_F(PlaybackTest, ASpeedOutsideTheDialogsRangeReachesTheDeviceAsOneItCanTake) {
  const struct {
    int stored;
    DWORD sent;
  } cases[] = {{3000, 3000}, {100, 100}, {0, 1000}, {-5, 1000}};
  Movies(" C:\\A.AVI\r\n");
  Open();
  for (const auto& c : cases) {
    settings.Speed = c.stored;
    Notify(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(mci.Last(MCI_SET)->speed, c.sent) << c.stored;
  }
}

TEST_F(PlaybackTest, SettingsAreReadAgainAtEveryMovie) {
  Movies(" C:\\A.AVI\r\n C:\\B.AVI\r\n");
  Open();
  EXPECT_EQ(mci.Count(MCI_SETAUDIO), 0);
  settings.Mute = 1;
  settings.Speed = 2000;
  settings.Zoom = 2;
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(mci.Count(MCI_SETAUDIO), 1);
  EXPECT_EQ(mci.Last(MCI_SET)->speed, 2000u);
  EXPECT_EQ(mci.Last(MCI_PUT)->rect.right, 640);
}

TEST_F(PlaybackTest, SuccessClosesAndPlaysTheNextWrappingToTheFirst) {
  Movies(" C:\\A.AVI\r\n C:\\B.AVI\r\n");
  Open();
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 10u);
  EXPECT_EQ(mci.Last(MCI_OPEN)->text, "C:\\B.AVI");
  EXPECT_EQ(Access::CurrentIndex(*window), 1);
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 11u);
  EXPECT_EQ(mci.Last(MCI_OPEN)->text, "C:\\A.AVI");
  EXPECT_EQ(Access::CurrentIndex(*window), 0);
}

TEST_F(PlaybackTest, OtherNotificationsChangeNothing) {
  Movies(" C:\\A.AVI\r\n C:\\B.AVI\r\n");
  Open();
  size_t before = mci.calls.size();
  for (WPARAM code : {MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED, MCI_NOTIFY_FAILURE}) Notify(code);
  EXPECT_EQ(mci.calls.size(), before);
  EXPECT_EQ(Access::CurrentIndex(*window), 0);
}

TEST_F(PlaybackTest, OneMovieIsReopenedAndPlacedAnewEachTime) {
  settings.Center = 0;
  Movies(" C:\\ONLY.AVI\r\n");
  Open();
  RECT first = mci.Last(MCI_PUT)->rect;
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(mci.Count(MCI_OPEN), 2);
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 10u);
  RECT second = mci.Last(MCI_PUT)->rect;
  EXPECT_TRUE(first.left != second.left || first.top != second.top);
  EXPECT_EQ(second.left % 8, 0);
  EXPECT_EQ(second.top % 8, 0);
}

TEST_F(PlaybackTest, FailedOpenIsSkippedByTimerTwo) {
  Movies(" C:\\MISSING.AVI\r\n C:\\B.AVI\r\n");
  mci.failOpen.insert("C:\\MISSING.AVI");
  Open();
  EXPECT_EQ(Access::DeviceId(*window), 0u);
  EXPECT_EQ(mci.Count(MCI_OPEN), 1);  // only a file of unknown type is opened again
  EXPECT_EQ(mci.Count(MCI_WHERE), 0);
  ASSERT_TRUE(TimerRuns(2));
  SendMessageA(*window, WM_TIMER, 2, 0);
  Pump();
  EXPECT_EQ(mci.Count(MCI_CLOSE), 0);  // nothing was open
  EXPECT_EQ(mci.Last(MCI_OPEN)->text, "C:\\B.AVI");
  EXPECT_FALSE(TimerRuns(2));
}

TEST_F(PlaybackTest, FailedPlayIsSkippedAndItsDeviceClosedThen) {
  Movies(" C:\\A.AVI\r\n C:\\B.AVI\r\n");
  mci.failPlay.insert("C:\\A.AVI");
  Open();
  EXPECT_EQ(mci.Count(MCI_CLOSE), 0);
  ASSERT_TRUE(TimerRuns(2));
  SendMessageA(*window, WM_TIMER, 2, 0);
  Pump();
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 10u);
  EXPECT_EQ(mci.Last(MCI_OPEN)->text, "C:\\B.AVI");
}

// ---------------------------------------------------------------- MP4, WMV and MPEG files

std::vector<MciCall> Opens(const RecordingMci& mci) {
  std::vector<MciCall> opens;
  for (const MciCall& c : mci.calls)
    if (c.message == MCI_OPEN) opens.push_back(c);
  return opens;
}

TEST_F(PlaybackTest, AFileOfATypeWithoutDeviceIsOpenedAgainOnTheMpegVideoDevice) {
  Movies(" C:\\A.MP4\r\n C:\\GONE.MP4\r\n C:\\B.AVI\r\n");
  // Even without a device for its extension an AVI file gets its one open.
  mci.noDeviceForExtension = {"C:\\A.MP4", "C:\\GONE.MP4", "C:\\B.AVI"};
  mci.failOpen.insert("C:\\GONE.MP4|MPEGVideo");
  Open();
  std::vector<MciCall> opens = Opens(mci);
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].text, "C:\\A.MP4");
  EXPECT_EQ(opens[1].text, "C:\\A.MP4|MPEGVideo");
  EXPECT_EQ(opens[1].flags, static_cast<DWORD_PTR>(MCI_OPEN_ELEMENT | MCI_OPEN_TYPE));
  EXPECT_EQ(Access::DeviceId(*window), 10u);
  EXPECT_EQ(mci.Last(MCI_PLAY)->device, 10u);

  // Neither open finds the file: skipped like any file that cannot be opened.
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(Opens(mci).size(), 4u);
  EXPECT_EQ(Access::DeviceId(*window), 0u);  // the closed device is forgotten
  ASSERT_TRUE(TimerRuns(2));
  SendMessageA(*window, WM_TIMER, 2, 0);
  Pump();
  opens = Opens(mci);
  ASSERT_EQ(opens.size(), 5u);  // an AVI file is opened once, by its extension
  EXPECT_EQ(opens.back().text, "C:\\B.AVI");
  EXPECT_TRUE(TimerRuns(2));
}

// A device other than the AVI one is handed a window of the movie's own,
// exactly over its place, and told to draw at 0, 0 in it.
TEST_F(PlaybackTest, OtherDevicesDrawInAWindowOverTheMovieAndAviInThePlayer) {
  Movies(" C:\\A.WMV\r\n C:\\B.AVI\r\n");
  Open();
  const HWND movie = mci.Last(MCI_WINDOW)->window;
  ASSERT_NE(movie, window->hwnd());
  EXPECT_EQ(GetParent(movie), window->hwnd());
  EXPECT_FALSE(IsWindowEnabled(movie)) << "clicks over the movie would not reach the saver";
  RECT r;
  GetWindowRect(movie, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{160, 120, 480, 360}));
  RECT put = mci.Last(MCI_PUT)->rect;
  EXPECT_EQ((std::vector<LONG>{put.left, put.top, put.right, put.bottom}), (std::vector<LONG>{0, 0, 320, 240}));
  EXPECT_EQ(mci.Count(MCI_GETDEVCAPS), 0);  // forwards: nothing to ask

  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_FALSE(IsWindow(movie)) << "the movie's window outlived its movie";
  EXPECT_EQ(mci.Last(MCI_WINDOW)->window, window->hwnd());
  put = mci.Last(MCI_PUT)->rect;
  EXPECT_EQ((std::vector<LONG>{put.left, put.top, put.right, put.bottom}), (std::vector<LONG>{160, 120, 320, 240}));
}

TEST_F(PlaybackTest, ReverseGoesForwardOnDevicesThatCannotPlayBackwards) {
  settings.Reverse = 1;
  struct Case {
    const char* path;
    DWORD_PTR flags;
    DWORD from;
    int asked;  // capability questions sent
  };
  const Case cases[] = {
      {"C:\\A.AVI", 0x20005, 4321, 0},  // never asked, as always
      {"C:\\B.MP4", 0x5, 0, 1},
      {"C:\\C.WMV", 0x20005, 4321, 1},
  };
  mci.canReverse.insert("C:\\C.WMV");
  Movies(" C:\\A.AVI\r\n C:\\B.MP4\r\n C:\\C.WMV\r\n");
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ASSERT_EQ(mci.Last(MCI_OPEN)->text, c.path);
    EXPECT_EQ(mci.Last(MCI_PLAY)->flags, c.flags);
    EXPECT_EQ(mci.Last(MCI_PLAY)->from, c.from);
    EXPECT_EQ(mci.Count(MCI_GETDEVCAPS), c.asked);
    if (c.asked) {
      EXPECT_EQ(mci.Last(MCI_GETDEVCAPS)->item, static_cast<DWORD>(MCI_DGV_GETDEVCAPS_CAN_REVERSE));
    }
    mci.calls.clear();
    Notify(MCI_NOTIFY_SUCCESSFUL);
  }
}

// ---------------------------------------------------------------- without Media Foundation

// A Windows edition without the media features: MP4, M4V and MOV files go
// to the MCI devices exactly as before, and the libraries are looked for
// once, only when such a file comes, never for an AVI file.
TEST_F(PlaybackTest, WithoutMediaFoundationMp4M4vAndMovPlayOnTheMciDevices) {
  Movies(" C:\\A.AVI\r\n C:\\B.mp4\r\n C:\\C.M4V\r\n C:\\D.MoV\r\n");
  Open();
  EXPECT_TRUE(librariesAsked.empty()) << "Media Foundation looked for before an AVI file";
  for (const char* path : {"C:\\B.mp4", "C:\\C.M4V", "C:\\D.MoV"}) {
    SCOPED_TRACE(path);
    mci.calls.clear();
    Notify(MCI_NOTIFY_SUCCESSFUL);
    const std::vector<UINT> expected{MCI_CLOSE, MCI_OPEN, MCI_WHERE, MCI_WINDOW, MCI_PUT, MCI_SET, MCI_STATUS, MCI_PLAY};
    EXPECT_EQ(mci.Messages(), expected);
    EXPECT_EQ(mci.Last(MCI_OPEN)->text, path);
  }
  EXPECT_EQ(librariesAsked, (std::vector<std::string>{"ole32.dll", "mfplat.dll", "mf.dll"}));
}

// A library of a system name planted in the current folder is not taken.
TEST(SystemLibraryTest, LoadsFromTheSystemDirectoryOnly) {
  char system[MAX_PATH], loaded[MAX_PATH], temp[MAX_PATH], program[MAX_PATH], current[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  HMODULE library = fw::LoadSystemLibrary("mfplat.dll");
  ASSERT_NE(library, nullptr);
  GetModuleFileNameA(library, loaded, MAX_PATH);
  FreeLibrary(library);
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, loaded, static_cast<int>(strlen(system)), system, -1),
            CSTR_EQUAL)
      << loaded;

  GetTempPathA(MAX_PATH, temp);
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string planted = std::string(temp) + "velora-planted.dll";
  ASSERT_TRUE(CopyFileA(program, planted.c_str(), FALSE));
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(temp);
  // In this order: a library already loaded would be found by its name.
  HMODULE fromSystem = fw::LoadSystemLibrary("velora-planted.dll");
  HMODULE fromHere = LoadLibraryA("velora-planted.dll");
  SetCurrentDirectoryA(current);
  EXPECT_NE(fromHere, nullptr) << "the planted library cannot be loaded at all";
  EXPECT_EQ(fromSystem, nullptr);
  if (fromHere) FreeLibrary(fromHere);
  if (fromSystem) FreeLibrary(fromSystem);
  DeleteFileA(planted.c_str());
}

TEST_F(PlaybackTest, EmptyListOpensNoDeviceAndRunsTheHintTimer) {
  Movies("");
  Open();
  EXPECT_TRUE(mci.calls.empty());  // not even the AVI driver, and nothing to realize
  EXPECT_TRUE(Access::MovieList(*window).empty());
  EXPECT_TRUE(TimerRuns(1));
  // A stray notification with nothing to play must not touch the empty list.
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_TRUE(mci.calls.empty());
}

TEST_F(PlaybackTest, DestructionClosesTheMovieAndTheDriverAndLeavesTheLoopToTheApplication) {
  Movies(" C:\\A.AVI\r\n");
  Open();
  DestroyWindow(*window);
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 10u);
  EXPECT_EQ(mci.calls.back().text, "close AVIVideo");
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(PlaybackTest, AClosedDeviceIsForgottenSoAFailedOpenLeavesNothingToCloseOrRealize) {
  Movies(" C:\\A.AVI\r\n C:\\MISSING.AVI\r\n");
  mci.failOpen.insert("C:\\MISSING.AVI");
  Open();
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(Access::DeviceId(*window), 0u);
  const int realized = mci.Count(MCI_REALIZE);
  SendMessageA(*window, WM_QUERYNEWPALETTE, 0, 0);
  EXPECT_EQ(mci.Count(MCI_REALIZE), realized);
  ASSERT_TRUE(TimerRuns(2));
  SendMessageA(*window, WM_TIMER, 2, 0);
  Pump();
  EXPECT_EQ(mci.Count(MCI_CLOSE), 1);  // device 10 once, never again
  EXPECT_EQ(mci.Last(MCI_OPEN)->text, "C:\\A.AVI");
  DestroyWindow(*window);
  EXPECT_EQ(mci.Last(MCI_CLOSE)->device, 11u);
}

TEST_F(PlaybackTest, PaletteMessagesRealizeTheMovie) {
  Movies(" C:\\A.AVI\r\n");
  Open();
  int before = mci.Count(MCI_REALIZE);
  SendMessageA(*window, WM_QUERYNEWPALETTE, 0, 0);
  SendMessageA(*window, WM_PALETTECHANGED, 0, 0);
  EXPECT_EQ(mci.Count(MCI_REALIZE), before + 2);
  EXPECT_EQ(mci.Last(MCI_REALIZE)->flags, static_cast<DWORD_PTR>(MCI_DGV_REALIZE_NORM));
}

TEST_F(PlaybackTest, FullScreenTopmostPopup) {
  Movies("");
  Open();
  RECT r;
  GetWindowRect(*window, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
            (std::vector<LONG>{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  EXPECT_EQ(GetWindowLongA(*window, GWL_STYLE) & (WS_POPUP | WS_VISIBLE | WS_CAPTION),
            static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  EXPECT_TRUE(GetWindowLongA(*window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  char title[32];
  GetWindowTextA(*window, title, sizeof title);
  EXPECT_STREQ(title, "Velora");
}

// The viewer and the saver cover the screen as the display has it, in real
// pixels at any DPI, not in pixels scaled to 96 DPI.
TEST_F(PlaybackTest, ViewerAndSaverCoverTheWholeScreenInItsRealPixels) {
  const SIZE screen = high_dpi::BenchScreen();
  ASSERT_GT(screen.cx, 0) << "BENCH_SCREEN not set";
  Movies("");
  for (bool saver : {false, true}) {
    SCOPED_TRACE(saver ? "saver" : "viewer");
    saver ? Open<SaverWindow>() : Open();
    RECT r{};
    GetWindowRect(*window, &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, screen.cx, screen.cy}));
    DestroyWindow(*window);
  }
}

TEST_F(PlaybackTest, SaverClosesOnAMoveAwayFromTheFirstPosition) {
  Movies("");
  Open<SaverWindow>();
  Pump();
  ClosePosted();
  auto* saver = static_cast<SaverWindow*>(window.get());
  Access::LastMouse(*saver).Take(-1, -1);  // as constructed: no position known
  SendMessageA(*window, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_FALSE(ClosePosted());
  SendMessageA(*window, WM_MOUSEMOVE, 0, MAKELPARAM(100, 101));
  EXPECT_TRUE(ClosePosted());
  // The system's own requests to start a saver or close change nothing.
  EXPECT_EQ(SendMessageA(*window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
  EXPECT_EQ(SendMessageA(*window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
  EXPECT_TRUE(IsWindow(*window));
}

// A movie device's own window, on a thread of this process, taking the
// activation as a movie starts does not end the saver; any other window does.
TEST_F(PlaybackTest, SaverStaysWhenTheActivationGoesToAWindowOfItsOwnProcess) {
  Movies("");
  Open<SaverWindow>();
  Pump();
  ClosePosted();
  HWND own = CreateWindowA("STATIC", "device", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SendMessageA(*window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(own));
  SendMessageA(*window, WM_ACTIVATEAPP, FALSE, GetCurrentThreadId());
  EXPECT_FALSE(ClosePosted());
  DestroyWindow(own);
  SendMessageA(*window, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_TRUE(ClosePosted());
  SendMessageA(*window, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_TRUE(ClosePosted());
}

TEST_F(PlaybackTest, ViewerClosesOnEscapeOnly) {
  Movies("");
  Open();
  Pump();
  SendMessageA(*window, WM_KEYDOWN, 'A', 0);
  SendMessageA(*window, WM_LBUTTONDOWN, 0, 0);
  SendMessageA(*window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageA(*window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 5));
  EXPECT_FALSE(ClosePosted());
  SendMessageA(*window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(ClosePosted());
}

// Monitor layouts the window is given to play: a 640 x 480 primary with a
// second monitor right of it, then left of it, then alone at 800 x 600.
fw::ScreenLayout g_layout;
fw::ScreenLayout PlayedLayout() { return g_layout; }

class MonitorsTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    Use({0, 0, 1280, 480});
    screens = PlayedLayout;
  }
  static void Use(const RECT& all, const RECT& primary = {0, 0, 640, 480}) { g_layout = {all, primary}; }
  std::vector<LONG> WindowRect() {
    RECT r;
    GetWindowRect(*window, &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  // Whether a black cover lies over the point (client coordinates): what lies
  // under it, a movie larger than the primary included, is not seen.
  bool Covered(POINT at) {
    HWND there = ChildWindowFromPointEx(*window, at, CWP_ALL);
    return there && there != *window;
  }
  std::vector<LONG> LastPut() {
    RECT r = mci.Last(MCI_PUT)->rect;
    return {r.left, r.top, r.right, r.bottom};
  }
};

TEST_F(MonitorsTest, TheWindowCoversEveryMonitorAndTheMovieKeepsItsPlaceOnThePrimary) {
  Movies(" C:\\A.AVI\r\n");
  Open<SaverWindow>();
  Pump();
  EXPECT_EQ(WindowRect(), (std::vector<LONG>{0, 0, 1280, 480}));
  EXPECT_EQ(LastPut(), (std::vector<LONG>{160, 120, 320, 240}));  // centred on the primary only
  EXPECT_TRUE(Covered({700, 10}));
  EXPECT_FALSE(Covered({630, 470}));
  auto* saver = static_cast<SaverWindow*>(window.get());
  Access::LastMouse(*saver).Take(700, 10);
  const size_t calls = mci.calls.size();

  // The second monitor moves to the left: the window's origin goes to -640.
  Use({-640, 0, 640, 480});
  SendMessageA(*window, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
  EXPECT_EQ(WindowRect(), (std::vector<LONG>{-640, 0, 640, 480}));
  EXPECT_EQ(LastPut(), (std::vector<LONG>{800, 120, 320, 240}));
  EXPECT_EQ(mci.calls.size(), calls + 1);  // the same movie goes on: only its place is put anew
  // The pointer stayed where it was on the screen: no move, no close.
  EXPECT_EQ(Access::LastMouse(*saver).x(), 1340);
  EXPECT_TRUE(Covered({630, 10}));
  EXPECT_FALSE(Covered({650, 10}));
  SendMessageA(*window, WM_MOUSEMOVE, 0, MAKELPARAM(1340, 10));
  EXPECT_FALSE(ClosePosted());

  // Unplugged, and the primary grows: the movie stays at its place on it, the
  // next one is centred on the new size.
  Use({0, 0, 800, 600}, {0, 0, 800, 600});
  SendMessageA(*window, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
  EXPECT_EQ(WindowRect(), (std::vector<LONG>{0, 0, 800, 600}));
  EXPECT_FALSE(Covered({10, 10}));
  EXPECT_EQ(LastPut(), (std::vector<LONG>{160, 120, 320, 240}));
  Notify(MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(LastPut(), (std::vector<LONG>{240, 176, 320, 240}));
}

}  // namespace
}  // namespace velora
