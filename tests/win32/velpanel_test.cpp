// The control panel's window in-process: its toolbar, the button states, the
// toggle, a missing bitmap, and the launches and the setup switch through a
// recording start seam (Wine starts every program at normal priority, so the
// class is checked here).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "framework/dpi.h"
#include "tests/win32/high_dpi.h"
#include "velpanel/launch.h"
#include "velpanel/main_frame.h"
#include "velpanel/panel_app.h"

namespace velpanel {

class MainFrameTestAccess {
 public:
  static std::unique_ptr<CMainFrame> WithoutButtonImages(const PanelContext& context) {
    return std::unique_ptr<CMainFrame>(new CMainFrame(context, 999));
  }
};

namespace {

// Left behind by the window's destruction; the company key only when empty.
const char kPositionKey[] = "Software\\Orvane Systems\\Velora\\Position";
const char kAppKey[] = "Software\\Orvane Systems\\Velora";
const char kCompanyKey[] = "Software\\Orvane Systems";

class TestApp : public PanelApp {
 public:
  using PanelApp::PanelApp;

 protected:
  bool InitInstance() override {
    StartUp();
    return false;
  }
};

// A started program as the seam hands it out: events stand for its handles.
struct StartCall {
  std::string commandLine;
  DWORD flags = 0;
  bool plain = false;  // no application name, security, inheritance, environment or directory
  STARTUPINFOA startup{};
  HANDLE process = nullptr, thread = nullptr;
};
std::vector<StartCall> calls;
HANDLE programEnded = nullptr;

class RecordingStarter : public ProcessStarter {
 public:
  BOOL Start(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
             LPSECURITY_ATTRIBUTES threadSecurity, BOOL inherit, DWORD flags, LPVOID environment,
             LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION started) override {
    StartCall call;
    call.commandLine = commandLine;
    call.flags = flags;
    call.plain = !application && !processSecurity && !threadSecurity && !inherit && !environment && !directory;
    call.startup = *startup;
    HANDLE self = GetCurrentProcess();
    // Marked inheritable, which no handle the panel opens itself is: a closed
    // handle's value may be given again at once (64-bit Wine does).
    DuplicateHandle(self, programEnded, self, &started->hProcess, 0, TRUE, DUPLICATE_SAME_ACCESS);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    started->hThread = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    call.process = started->hProcess;
    call.thread = started->hThread;
    calls.push_back(call);
    return TRUE;
  }
};

// Whether a handle the starter gave out is still open.
bool IsOpen(HANDLE handle) {
  DWORD flags;
  return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT);
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.Run(GetModuleHandleA(nullptr), "");
    frame = std::make_unique<CMainFrame>(app.Context());
    // Under Wine only a program with windows asks the X server's screen
    // saver, as the panel does: read the flag the way the panel will.
    CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    savedFlag = ScreenSaveActive();
    calls.clear();
    programEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    if (frame->hwnd()) DestroyWindow(frame->hwnd());
    CloseHandle(programEnded);
    SetScreenSaveActive(savedFlag);
    for (const char* key : {kPositionKey, kAppKey, kCompanyKey}) RegDeleteKeyA(HKEY_CURRENT_USER, key);
  }

  HWND Bar() const { return FindWindowExA(frame->hwnd(), nullptr, TOOLBARCLASSNAMEA, nullptr); }
  // "E" enabled or "-" disabled, "C" checked or "-", for the four buttons.
  std::string States() {
    SendMessageA(frame->hwnd(), WM_IDLEUPDATECMDUI, TRUE, 0);
    std::string states;
    for (int id = ID_CONFIG; id <= ID_TOGGLE; ++id) {
      states += SendMessageA(Bar(), TB_ISBUTTONENABLED, id, 0) ? "E" : "-";
      states += SendMessageA(Bar(), TB_ISBUTTONCHECKED, id, 0) ? "C " : "- ";
    }
    return states;
  }
  void Command(int id) { SendMessageA(frame->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Bar()); }
  // Pumps messages until the worker's refresh reaches the window; answers
  // what the window would see: runningCommand and the flag at that moment.
  bool WaitForRefresh(int* running, BOOL* flag) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    MSG msg;
    while (std::chrono::steady_clock::now() < deadline) {
      if (PeekMessageA(&msg, frame->hwnd(), WM_IDLEUPDATECMDUI, WM_IDLEUPDATECMDUI, PM_REMOVE)) {
        *running = RunningCommand();
        *flag = ScreenSaveActive();
        DispatchMessageA(&msg);
        return msg.wParam == TRUE;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
  }

  RecordingStarter starter;
  TestApp app{starter};
  std::unique_ptr<CMainFrame> frame;  // made once the application has started
  BOOL savedFlag = FALSE;
};

TEST_F(PanelTest, ToolWindowWithSevenItemsTheirImagesAndTooltips) {
  ASSERT_TRUE(frame->CreatePanel());
  EXPECT_TRUE(GetWindowLongA(frame->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  char title[32] = "";
  GetWindowTextA(frame->hwnd(), title, sizeof title);
  EXPECT_STREQ(title, "Velora");
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), fw::FrameWindow::ClassName(), &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.hIcon, nullptr);
  EXPECT_EQ(GetDlgCtrlID(Bar()), 0xE800);

  struct Item {
    int id, image;
    const char* tip;
  } expected[] = {{ID_CONFIG, 0, "Configure"}, {0, 0, nullptr}, {ID_PLAY, 1, "Play"}, {0, 0, nullptr},
                  {ID_ACTIVATE, 2, "Activate Screen Saver"}, {0, 0, nullptr},
                  {ID_TOGGLE, 3, "Enable/Disable Screen Saver"}};
  ASSERT_EQ(SendMessageA(Bar(), TB_BUTTONCOUNT, 0, 0), 7);
  HWND tips = reinterpret_cast<HWND>(SendMessageA(Bar(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    TBBUTTON button{};
    ASSERT_TRUE(SendMessageA(Bar(), TB_GETBUTTON, i, (LPARAM)&button));
    if (!expected[i].id) {
      EXPECT_EQ(button.fsStyle, TBSTYLE_SEP);
      continue;
    }
    EXPECT_EQ(button.idCommand, expected[i].id);
    EXPECT_EQ(button.iBitmap, expected[i].image);
    EXPECT_EQ(button.fsStyle, TBSTYLE_CHECK);
    char text[100] = "";
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Bar();
    tool.uId = static_cast<UINT_PTR>(button.idCommand);
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, (LPARAM)&tool);
    EXPECT_STREQ(text, expected[i].tip);
  }
}

// At any DPI: the buttons show the pictures drawn for it, the window grows to
// hold them all, and the caption has room beside the close button.
TEST_F(PanelTest, ButtonsAndWindowAreDrawnForTheScreensDpi) {
  ASSERT_TRUE(frame->CreatePanel());
  HWND panel = frame->hwnd();
  EXPECT_EQ(high_dpi::DpiMismatch(panel), "");
  const int scale = fw::ArtScaleFor(fw::DpiOf(panel));
  int imageWidth = 0, imageHeight = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(Bar(), TB_GETIMAGELIST, 0, 0)), &imageWidth,
                        &imageHeight);
  EXPECT_EQ(imageWidth, fw::ArtSize(16, scale));
  EXPECT_EQ(imageHeight, fw::ArtSize(15, scale));

  // Each button holds its picture, and the window every button.
  RECT client{};
  GetClientRect(panel, &client);
  for (int i = 0, count = int(SendMessageA(Bar(), TB_BUTTONCOUNT, 0, 0)); i < count; ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    TBBUTTON button{};
    RECT item{}, inside{};
    SendMessageA(Bar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    SendMessageA(Bar(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
    if (!(button.fsStyle & TBSTYLE_SEP)) {
      EXPECT_GT(item.right - item.left, imageWidth);
      EXPECT_GT(item.bottom - item.top, imageHeight);
    }
    MapWindowPoints(Bar(), panel, reinterpret_cast<POINT*>(&item), 2);
    IntersectRect(&inside, &item, &client);
    EXPECT_TRUE(EqualRect(&inside, &item)) << "reaches " << item.right << ", " << item.bottom << " beyond "
                                           << client.right << " x " << client.bottom;
  }

  // The caption's text, in the small caption's font, and the close button beside it.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  HFONT font = CreateFontIndirectA(&metrics.lfSmCaptionFont);
  HDC dc = GetDC(panel);
  HGDIOBJ old = SelectObject(dc, font);
  char title[64] = "";
  const int length = GetWindowTextA(panel, title, sizeof title);
  SIZE caption{};
  GetTextExtentPoint32A(dc, title, length, &caption);
  SelectObject(dc, old);
  ReleaseDC(panel, dc);
  DeleteObject(font);
  EXPECT_LE(caption.cx + metrics.iSmCaptionWidth, client.right) << "the caption's text is " << caption.cx << " wide";
}

TEST_F(PanelTest, ButtonStatesFollowTheRunningCommandAndTheFlag) {
  ASSERT_TRUE(frame->CreatePanel());
  struct Case {
    int running;
    BOOL flag;
    const char* states;
  } cases[] = {
      {0, TRUE, "E- E- E- EC "},           {0, FALSE, "E- E- E- E- "},
      {ID_CONFIG, TRUE, "-C -- -- EC "},   {ID_PLAY, FALSE, "-- -C -- E- "},
      {ID_ACTIVATE, FALSE, "-- -- -C E- "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("running " + std::to_string(c.running) + ", flag " + std::to_string(c.flag));
    ResetEvent(programEnded);
    if (c.running) Command(c.running);
    SetScreenSaveActive(c.flag);
    EXPECT_EQ(States(), c.states);
    if (!c.running) continue;
    SetEvent(programEnded);
    int running = -1;
    BOOL flag = -1;
    ASSERT_TRUE(WaitForRefresh(&running, &flag));
  }
}

TEST_F(PanelTest, ToggleTwiceBringsTheFlagBackAndLeavesTheProfileAlone) {
  ASSERT_TRUE(frame->CreatePanel());
  auto profileValue = [] {
    char value[16] = "<none>";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", RRF_RT_REG_SZ, nullptr,
                 value, &size);
    return std::string(value);
  };
  const std::string profile = profileValue();
  for (BOOL first : {TRUE, FALSE}) {
    SetScreenSaveActive(first);
    Command(ID_TOGGLE);
    EXPECT_EQ(ScreenSaveActive(), !first);
    EXPECT_EQ(States().substr(9), first ? "E- " : "EC ");
    Command(ID_TOGGLE);
    EXPECT_EQ(ScreenSaveActive(), first);
  }
  EXPECT_EQ(profileValue(), profile);
}

TEST_F(PanelTest, WithoutItsBitmapThereIsNoWindowAndTheStoredPlaceStays) {
  const fw::RegistrySettings& settings = app.Context().settings;
  settings.WriteInt("Position", "Left", 300);
  settings.WriteInt("Position", "Top", -20);
  std::unique_ptr<CMainFrame> broken = MainFrameTestAccess::WithoutButtonImages(app.Context());
  EXPECT_FALSE(broken->CreatePanel());
  EXPECT_EQ(broken->hwnd(), nullptr);
  EXPECT_EQ(FindWindowA(fw::FrameWindow::ClassName(), "Velora"), nullptr);
  EXPECT_EQ(settings.GetInt("Position", "Left", 100), 300);
  EXPECT_EQ(settings.GetInt("Position", "Top", 100), -20);
}

TEST_F(PanelTest, LaunchesStartTheirCommandLineAndAreWatchedUntilTheProgramEnds) {
  ASSERT_TRUE(frame->CreatePanel());
  struct Case {
    int id;
    const char* commandLine;
    DWORD priority;
    BOOL flagBefore, flagWhileRunning;
    const char* runningStates;
  } cases[] = {
      {ID_CONFIG, "Velora.scr -c", NORMAL_PRIORITY_CLASS, FALSE, FALSE, "-C -- -- "},
      {ID_PLAY, "Velora.scr -v", NORMAL_PRIORITY_CLASS, TRUE, FALSE, "-- -C -- "},
      {ID_ACTIVATE, "Velora.scr -s", IDLE_PRIORITY_CLASS, TRUE, FALSE, "-- -- -C "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    calls.clear();
    ResetEvent(programEnded);
    SetScreenSaveActive(c.flagBefore);
    Command(c.id);
    ASSERT_EQ(calls.size(), 1u);
    const StartCall call = calls[0];
    EXPECT_EQ(call.commandLine, c.commandLine);
    EXPECT_EQ(call.flags, c.priority);
    EXPECT_TRUE(call.plain);
    STARTUPINFOA zeroed{};
    zeroed.cb = sizeof zeroed;
    EXPECT_EQ(memcmp(&call.startup, &zeroed, sizeof zeroed), 0);
    EXPECT_FALSE(IsOpen(call.thread));

    EXPECT_EQ(ScreenSaveActive(), c.flagWhileRunning);
    EXPECT_EQ(States().substr(0, 9), c.runningStates);
    // A second launch while one runs starts nothing.
    Command(ID_ACTIVATE);
    Command(ID_CONFIG);
    EXPECT_EQ(calls.size(), 1u);

    SetEvent(programEnded);
    int running = -1;
    BOOL flag = -1;
    ASSERT_TRUE(WaitForRefresh(&running, &flag));
    EXPECT_EQ(running, 0);
    EXPECT_EQ(flag, c.flagBefore);
    EXPECT_FALSE(IsOpen(call.process));
    EXPECT_EQ(States().substr(0, 9), "E- E- E- ");
  }
}

TEST_F(PanelTest, SetupSwitchStartsVelorasSetupAndEndsWithoutAWindow) {
  PanelApp startMenuEntry(starter);
  EXPECT_EQ(startMenuEntry.Run(GetModuleHandleA(nullptr), "/c"), 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].commandLine, "Velora.scr -c");
  EXPECT_EQ(calls[0].flags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_TRUE(calls[0].plain);
  EXPECT_FALSE(IsOpen(calls[0].process));
  EXPECT_FALSE(IsOpen(calls[0].thread));
  EXPECT_EQ(RunningCommand(), 0);
  EXPECT_EQ(FindWindowA(fw::FrameWindow::ClassName(), "Velora"), nullptr);
}

}  // namespace
}  // namespace velpanel
