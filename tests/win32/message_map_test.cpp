// Windows, tables, self-deleting objects and the application object.
#include <gtest/gtest.h>

#include <vector>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/window.h"
#include "test_ids.h"

namespace {

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kBaseOnly = WM_APP + 2;
constexpr UINT kNobody = WM_APP + 3;
constexpr UINT kMenuCommand = 40001;
constexpr UINT kAppCommand = 40002;

class BaseWindow : public fw::Window {
 public:
  int baseCommands = 0;
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnAsk(fw::Message&) { return 1; }
  LRESULT OnBaseOnly(fw::Message&) { return 2; }
  LRESULT OnMenuCommand(fw::Message&) {
    ++baseCommands;
    return 0;
  }
};
FW_BEGIN_MESSAGE_MAP(BaseWindow, fw::Window)
  FW_ON_MESSAGE(kAsk, OnAsk)
  FW_ON_MESSAGE(kBaseOnly, OnBaseOnly)
  FW_ON_COMMAND(kMenuCommand, OnMenuCommand)
FW_END_MESSAGE_MAP()

class DerivedWindow : public BaseWindow {
 public:
  ~DerivedWindow() override {
    if (destroyedFlag) *destroyedFlag = true;
  }
  bool* destroyedFlag = nullptr;
  bool failCreate = false;
  std::vector<UINT> seen;
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnAsk(fw::Message&) { return 10; }
  LRESULT OnCreate(fw::Message&) { return failCreate ? -1 : Default(); }
  LRESULT OnNcCreate(fw::Message&) {
    seen.push_back(WM_NCCREATE);
    return Default();
  }
};
FW_BEGIN_MESSAGE_MAP(DerivedWindow, BaseWindow)
  FW_ON_MESSAGE(kAsk, OnAsk)
  FW_ON_MESSAGE(WM_CREATE, OnCreate)
  FW_ON_MESSAGE(WM_NCCREATE, OnNcCreate)
FW_END_MESSAGE_MAP()

const RECT kSmall{10, 10, 110, 60};

TEST(MessageMap, DerivedTableFirstThenBaseThenDefault) {
  DerivedWindow w;
  ASSERT_TRUE(w.Create(0, nullptr, "first", WS_POPUP, kSmall, nullptr, 0));
  EXPECT_EQ(SendMessageA(w, kAsk, 0, 0), 10);
  EXPECT_EQ(SendMessageA(w, kBaseOnly, 0, 0), 2);
  EXPECT_EQ(SendMessageA(w, kNobody, 0, 0), 0);
  // Unhandled messages get the system's processing: the text is set.
  SetWindowTextA(w, "changed");
  char text[32] = {};
  GetWindowTextA(w, text, sizeof text);
  EXPECT_STREQ(text, "changed");
  DestroyWindow(w);
  EXPECT_EQ(w.hwnd(), nullptr);
}

TEST(MessageMap, BoundFromTheFirstMessage) {
  DerivedWindow w;
  ASSERT_TRUE(w.Create(0, nullptr, "", WS_POPUP, kSmall, nullptr, 0));
  ASSERT_FALSE(w.seen.empty());
  EXPECT_EQ(w.seen.front(), static_cast<UINT>(WM_NCCREATE));
  DestroyWindow(w);
}

TEST(MessageMap, MenuCommandsMatchAndButtonNotificationsWithOtherCodesDoNot) {
  DerivedWindow w;
  ASSERT_TRUE(w.Create(0, nullptr, "", WS_POPUP, kSmall, nullptr, 0));
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(kMenuCommand, 0), 0);
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(kMenuCommand, 1), 0);  // accelerator
  EXPECT_EQ(w.baseCommands, 2);
  HWND button = CreateWindowA("BUTTON", "b", WS_CHILD, 0, 0, 10, 10, w, nullptr, nullptr, nullptr);
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(kMenuCommand, BN_SETFOCUS), reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(w.baseCommands, 2);
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(kMenuCommand, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(w.baseCommands, 3);
  DestroyWindow(w);
}

TEST(SelfDeleting, FreedAfterItsWindowIsDestroyed) {
  bool destroyed = false;
  auto* w = new DerivedWindow;
  w->destroyedFlag = &destroyed;
  ASSERT_TRUE(w->Create(0, nullptr, "", WS_POPUP, kSmall, nullptr, 0));
  HWND hwnd = w->SelfDeleting()->hwnd();
  EXPECT_FALSE(destroyed);
  DestroyWindow(hwnd);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(fw::Window::FromHandle(hwnd), nullptr);
}

TEST(SelfDeleting, FailedCreationLeavesTheObjectToItsOwner) {
  bool destroyed = false;
  DerivedWindow w;
  w.destroyedFlag = &destroyed;
  w.failCreate = true;
  EXPECT_FALSE(w.Create(0, nullptr, "", WS_POPUP, kSmall, nullptr, 0));
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(w.hwnd(), nullptr);
  w.destroyedFlag = nullptr;
}

// A window that destroys itself from inside one of its own handlers.
class ClosingWindow : public fw::Window {
 public:
  explicit ClosingWindow(int* released) : released(released) {}
  ~ClosingWindow() override { ++*released; }
  int* released;
  int after = 0;
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnAsk(fw::Message&) {
    DestroyWindow(hwnd());
    // The object must still be here until this handler returns.
    after = *released == 0 ? 1 : -1;
    return after;
  }
};
FW_BEGIN_MESSAGE_MAP(ClosingWindow, fw::Window)
  FW_ON_MESSAGE(kAsk, OnAsk)
FW_END_MESSAGE_MAP()

TEST(SelfDeleting, DestroyedInsideItsOwnHandlerIsFreedAfterIt) {
  int released = 0;
  auto* w = new ClosingWindow(&released);
  ASSERT_TRUE(w->Create(0, nullptr, "", WS_POPUP, kSmall, nullptr, 0));
  HWND hwnd = w->SelfDeleting()->hwnd();
  EXPECT_EQ(SendMessageA(hwnd, kAsk, 0, 0), 1);
  EXPECT_EQ(released, 1);
  EXPECT_FALSE(IsWindow(hwnd));
}

// An application whose main window closes itself at once.
class ClosingApp : public fw::App {
 public:
  bool commandReachedApp = false;
  bool mainWindowClearedAtExit = false;
  bool destroyed = false;
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnAppCommand(fw::Message&) {
    commandReachedApp = true;
    return 0;
  }

 protected:
  bool InitInstance() override {
    auto* w = new DerivedWindow;
    w->destroyedFlag = &destroyed;
    if (!w->Create(0, nullptr, "main", WS_POPUP, kSmall, nullptr, 0)) return false;
    SetMainWindow(w->SelfDeleting());
    // Commands nobody in the window handles go on to the application.
    PostMessageA(*w, WM_COMMAND, MAKEWPARAM(kAppCommand, 0), 0);
    w->PostClose();
    return true;
  }
  void ExitInstance() override {
    mainWindowClearedAtExit = MainWindow() == nullptr;
    fw::App::ExitInstance();
  }
};
FW_BEGIN_MESSAGE_MAP(ClosingApp, fw::App)
  FW_ON_COMMAND(kAppCommand, OnAppCommand)
FW_END_MESSAGE_MAP()

TEST(App, LoopEndsWhenTheMainWindowIsDestroyed) {
  ClosingApp app;
  EXPECT_EQ(app.Run(GetModuleHandleA(nullptr), ""), 0);
  EXPECT_TRUE(app.commandReachedApp);
  EXPECT_TRUE(app.destroyed);
  EXPECT_TRUE(app.mainWindowClearedAtExit);
}

TEST(App, NameIsTheProgramFileWithoutExtension) {
  class NamedApp : public fw::App {
   protected:
    bool InitInstance() override { return false; }
  } app;
  app.Run(GetModuleHandleA(nullptr), "");
  EXPECT_EQ(app.AppName(), "win32_tests");
}

// The modal loop of a dialog box passes its messages through the filter.
void CALLBACK PressEscapeThenOk(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND dialog = FindWindowA(nullptr, "Empty");
  // Escape would cancel; the filter swallows it, so only the posted OK ends the dialog.
  PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class FilteringApp : public fw::App {
 public:
  std::vector<int> codes;
  INT_PTR result = 0;
  bool ProcessMessageFilter(int code, MSG* msg) override {
    codes.push_back(code);
    return msg->message == WM_KEYDOWN;
  }

 protected:
  bool InitInstance() override {
    fw::Dialog dialog(IDD_TEST_EMPTY);
    SetTimer(nullptr, 0, 10, &PressEscapeThenOk);
    result = dialog.DoModal();
    return false;
  }
};

TEST(App, ModalLoopsPassTheMessageFilter) {
  FilteringApp app;
  app.Run(GetModuleHandleA(nullptr), "");
  EXPECT_EQ(app.result, IDOK);
  ASSERT_FALSE(app.codes.empty());
  EXPECT_EQ(app.codes.front(), MSGF_DIALOGBOX);
}

// A modal dialog as main window (the configuration mode) ends by itself and
// leaves no quit message that would cut short a later modal loop.
class ModalMainWindowApp : public fw::App {
 protected:
  bool InitInstance() override {
    fw::Dialog dialog(IDD_TEST_EMPTY);
    SetMainWindow(&dialog);
    SetTimer(nullptr, 0, 10, &PressEscapeThenOk);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return false;
  }
};

TEST(App, AModalMainWindowLeavesNoQuitMessage) {
  ModalMainWindowApp app;
  app.Run(GetModuleHandleA(nullptr), "");
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The loop's quit code is the program's exit code.
TEST(App, RunReturnsTheCodeThatEndedTheLoop) {
  class QuittingApp : public fw::App {
   protected:
    bool InitInstance() override {
      auto* w = new DerivedWindow;
      if (!w->Create(0, nullptr, "main", WS_POPUP, kSmall, nullptr, 0)) return false;
      SetMainWindow(w->SelfDeleting());
      PostQuitMessage(3);
      return true;
    }
  } app;
  EXPECT_EQ(app.Run(GetModuleHandleA(nullptr), ""), 3);
}

TEST(IdleWatch, EveryMessageButPaintsCaretTicksAndRepeatedPointerMovesRestartsIdleWork) {
  fw::IdleWatch watch;
  struct Case {
    UINT message;
    POINT pt;
    bool restarts;
  };
  const Case cases[] = {
      {WM_TIMER, {}, true},          {WM_PAINT, {}, false},         {0x0118, {}, false},
      {WM_KEYDOWN, {}, true},        {WM_MOUSEMOVE, {5, 5}, true},  {WM_MOUSEMOVE, {5, 5}, false},
      {WM_MOUSEMOVE, {6, 5}, true},  {WM_NCMOUSEMOVE, {6, 5}, true}, {WM_NCMOUSEMOVE, {6, 5}, false},
      {WM_MOUSEMOVE, {6, 5}, true},  {WM_IDLEUPDATECMDUI, {}, true},
  };
  for (const Case& c : cases) {
    MSG msg{};
    msg.message = c.message;
    msg.pt = c.pt;
    EXPECT_EQ(watch.MayChangeWhatIdleShows(msg), c.restarts) << std::hex << c.message << " at " << c.pt.x;
  }
}

// A button state that another program changes (the system's saver flag) shows
// after the next timer tick, without a click or a key.
class IdleCountingWindow : public fw::Window {
 public:
  int updates = 0;
  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnIdleUpdate(fw::Message&) {
    // Each update asks for one timer tick more, until three updates were seen.
    if (++updates < 3)
      PostMessageA(hwnd(), WM_TIMER, 7, 0);
    else
      PostClose();
    return 0;
  }
  LRESULT OnTimer(fw::Message&) { return 0; }
};
FW_BEGIN_MESSAGE_MAP(IdleCountingWindow, fw::Window)
  FW_ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
  FW_ON_MESSAGE(WM_TIMER, OnTimer)
FW_END_MESSAGE_MAP()

void CALLBACK QuitWith1(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); }

TEST(App, TimerTicksBringButtonStatesUpToDate) {
  class TickingApp : public fw::App {
   protected:
    bool InitInstance() override {
      auto* window = new IdleCountingWindow;
      if (!window->Create(0, nullptr, "main", WS_POPUP, kSmall, nullptr, 0)) return false;
      SetMainWindow(window->SelfDeleting());
      // Without idle work after ticks the loop would wait for ever: end it with 1.
      SetTimer(nullptr, 0, 3000, &QuitWith1);
      return true;
    }
  } app;
  // The window closes itself (code 0) once the third update came.
  EXPECT_EQ(app.Run(GetModuleHandleA(nullptr), ""), 0);
}

}  // namespace
