// velpanel.exe end to end: started from a folder beside a stand-in for
// Velora.scr (see stand_in.cpp), clicked with real input, and checked through
// its window, its toolbar's states, the programs it starts and the registry.
//
// Under Wine a program with windows finds the screen-saver flag in the X
// server's screen saver, one without windows in a value it reads once. So
// the tests read the panel's flag from its Toggle button and the flag that a
// started program finds from the stand-in's record (it makes a window
// first); they change the flag only through the panel and put it back.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

constexpr milliseconds kTimeout{15000};
constexpr int ID_CONFIG = 101, ID_PLAY = 102, ID_ACTIVATE = 103, ID_TOGGLE = 104;
const std::string kCompanyKey = "Software\\Orvane Systems";
const std::string kPositionKey = "Software\\Orvane Systems\\Velora\\Position";

std::string PathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? WindowsPathFromLinux(value) : std::string();
}

// The stored setting, which the panel must never write: "<none>" when absent.
std::string ProfileScreenSaveActive() {
  char value[16] = "<none>";
  DWORD size = sizeof value;
  RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value,
               &size);
  return value;
}

// A program the panel started, as the stand-in recorded it.
struct Started {
  DWORD processId = 0;
  DWORD priorityClass = 0;  // Wine starts every program at normal priority
  int saverActive = -1;
  std::string commandLine;
};

class VelpanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string panel = PathFromEnvironment("VELPANEL_EXE");
    const std::string standIn = PathFromEnvironment("VELORA_STAND_IN");
    ASSERT_FALSE(panel.empty() || standIn.empty()) << "VELPANEL_EXE and VELORA_STAND_IN must be set";
    // One folder with the panel beside "Velora.scr", one with the panel alone.
    const std::string scratch = WindowsPathFromLinux(ScratchDirLinux());
    besideVelora = scratch + "\\velpanel-beside-velora";
    alone = scratch + "\\velpanel-alone";
    for (const std::string& folder : {besideVelora, alone}) {
      CreateDirectoryA(folder.c_str(), nullptr);
      ASSERT_TRUE(CopyFileA(panel.c_str(), (folder + "\\velpanel.exe").c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileA(standIn.c_str(), (besideVelora + "\\Velora.scr").c_str(), FALSE));
    DeleteFileIfPresent(StartedLog());
    standInEnd = CreateEventA(nullptr, TRUE, FALSE, "VeloraStandIn.End");
    ResetEvent(standInEnd);
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
    profile = ProfileScreenSaveActive();
  }

  void TearDown() override {
    EndStandIns();
    // Put the flag back as the panel found it, for the tests that follow.
    if (panel.Running() && toolBar && WaitUntil([&] { return IsIdle(); }, kTimeout) &&
        States() != Idle(flagAtStart)) {
      ClickButton(ID_TOGGLE);
      EXPECT_TRUE(WaitForStates(Idle(flagAtStart))) << "the flag was not put back";
    }
    panel = Process();
    CloseHandle(standInEnd);
    EXPECT_EQ(ProfileScreenSaveActive(), profile) << "the stored setting was written";
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
  }

  // The states of an idle panel, with the flag on or off.
  static std::string Idle(bool flag) { return flag ? "E- E- E- EC " : "E- E- E- E- "; }
  bool IsIdle() const { return States() == Idle(true) || States() == Idle(false); }

  std::string StartedLog() const { return besideVelora + "\\started.txt"; }

  // Starts the panel from a folder; the current directory stays the test's.
  void StartPanel(const std::string& folder) {
    panel = Process::Start(folder + "\\velpanel.exe", "");
    ASSERT_TRUE(panel.started());
    window = WaitForWindow(panel.id(), "FwFrame", "Velora", kTimeout);
    ASSERT_NE(window, nullptr) << "no panel window";
    toolBar = FindWindowExA(window, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolBar, nullptr);
    panel.WaitForInputIdle(kTimeout);
    // The flag as the panel finds it, once its buttons show it.
    ASSERT_TRUE(WaitUntil([&] { return IsIdle(); }, kTimeout)) << States();
    flagAtStart = States() == Idle(true);
  }

  // The screen rectangle of a toolbar item, asked of the panel's own process.
  RECT ItemOnScreen(int index) {
    RECT rect{};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, panel.id());
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
    if (SendMessageA(toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)))
      ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    MapWindowPoints(toolBar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  void ClickButton(int id) {
    RECT item = ItemOnScreen((id - ID_CONFIG) * 2);
    ClickAt(toolBar, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
  }

  // "E" enabled or "-" disabled, "C" checked or "-", for the four buttons.
  std::string States() const {
    std::string states;
    for (int id = ID_CONFIG; id <= ID_TOGGLE; ++id) {
      states += SendMessageA(toolBar, TB_ISBUTTONENABLED, id, 0) ? "E" : "-";
      states += SendMessageA(toolBar, TB_ISBUTTONCHECKED, id, 0) ? "C " : "- ";
    }
    return states;
  }
  bool WaitForStates(const std::string& states) {
    return WaitUntil([&] { return States() == states; }, kTimeout);
  }

  std::vector<Started> StartedPrograms() const {
    std::vector<Started> programs;
    std::istringstream lines(ReadFileBytes(StartedLog()).value_or(""));
    Started program;
    while (lines >> program.processId >> program.priorityClass >> program.saverActive &&
           std::getline(lines >> std::ws, program.commandLine)) {
      if (!program.commandLine.empty() && program.commandLine.back() == '\r') program.commandLine.pop_back();
      programs.push_back(program);
    }
    return programs;
  }
  std::optional<Started> WaitForStart() {
    std::vector<Started> programs;
    WaitUntil([&] { return !(programs = StartedPrograms()).empty(); }, kTimeout);
    if (programs.empty()) return std::nullopt;
    return programs.back();
  }

  // Ends every running stand-in and waits until each is gone.
  void EndStandIns() {
    SetEvent(standInEnd);
    for (const Started& program : StartedPrograms()) {
      if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, program.processId)) {
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
      }
    }
    ResetEvent(standInEnd);
    DeleteFileIfPresent(StartedLog());
  }

  std::string besideVelora, alone, profile;
  HANDLE standInEnd = nullptr;
  bool flagAtStart = false;
  Process panel;
  HWND window = nullptr, toolBar = nullptr;
};

TEST_F(VelpanelTest, FirstRunShowsASmallToolWindowAt100SizedToItsButtons) {
  StartPanel(besideVelora);
  WindowInfo info = Describe(window);
  EXPECT_EQ(info.rect.left, 100);
  EXPECT_EQ(info.rect.top, 100);
  EXPECT_TRUE(info.exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(info.style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));

  int width = 0;
  for (int i = 0; i < 7; ++i) width += ItemOnScreen(i).right - ItemOnScreen(i).left;
  RECT last = ItemOnScreen(6);
  EXPECT_EQ(info.rect.right - info.rect.left,
            width + 10 + 2 * GetSystemMetrics(SM_CXBORDER) + 2 * GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(info.rect.bottom - info.rect.top,
            last.bottom - last.top + 6 + 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYSMCAPTION));

  // Resting on a button shows its tooltip (its text is read in-process: the
  // tooltip does not give it to other processes).
  RECT play = ItemOnScreen(2);
  MoveMouseTo(toolBar, (play.left + play.right) / 2, (play.top + play.bottom) / 2);
  EXPECT_NE(WaitForWindow(panel.id(), TOOLTIPS_CLASSA, "", kTimeout), nullptr) << "no tooltip";
}

TEST_F(VelpanelTest, DraggedByItsBorderAndClosedItStoresWhereItStands) {
  // Beyond the screen's right and bottom edges: brought back on screen.
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPositionKey, "Left", 5000));
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPositionKey, "Top", 5000));
  StartPanel(besideVelora);
  RECT rect = Describe(window).rect;
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) - 150);
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) - 100);

  // The left border, below the caption, moves the window like its caption.
  const int x = rect.left + 1, y = (rect.top + rect.bottom) / 2;
  Drag(window, {{x, y}, {x - 30, y - 20}, {x - 60, y - 40}});
  ASSERT_TRUE(WaitUntil([&] { return Describe(window).rect.left == rect.left - 60; }, kTimeout))
      << "the border did not move the window";
  rect = Describe(window).rect;
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) - 100 - 40);

  // The close box, at the right end of the small caption.
  const int frame = GetSystemMetrics(SM_CXDLGFRAME);
  ClickAt(window, rect.right - frame - GetSystemMetrics(SM_CXSMSIZE) / 2,
                 rect.top + frame + GetSystemMetrics(SM_CYSMCAPTION) / 2);
  std::optional<DWORD> code = panel.WaitForExit(kTimeout);
  ASSERT_TRUE(code.has_value()) << "the close box did not close the panel";
  EXPECT_EQ(*code, 0u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPositionKey, "Left"), static_cast<DWORD>(rect.left));
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPositionKey, "Top"), static_cast<DWORD>(rect.top));
}

// Each launch button starts velora in its mode, stays pressed and keeps the
// other two disabled until that program ends. Play and Activate switch the
// system's screen saver off meanwhile and put back the value it had before,
// whatever the user toggled; Configure leaves the flag alone.
TEST_F(VelpanelTest, LaunchButtonsStartVeloraAndWatchItUntilItEnds) {
  struct Case {
    int id;
    const char* commandLine;
    bool flagBefore;
    int flagSeenByVelora;
    const char* statesWhileRunning;
    const char* statesAfterToggle;  // nullptr: no toggle meanwhile
    bool flagAfter;
  } cases[] = {
      {ID_CONFIG, "Velora.scr -c", true, 1, "-C -- -- EC ", "-C -- -- E- ", false},
      {ID_PLAY, "Velora.scr -v", true, 0, "-- -C -- E- ", nullptr, true},
      {ID_ACTIVATE, "Velora.scr -s", false, 0, "-- -- -C E- ", "-- -- -C EC ", false},
  };
  StartPanel(besideVelora);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    if (States() != Idle(c.flagBefore)) ClickButton(ID_TOGGLE);
    ASSERT_TRUE(WaitForStates(Idle(c.flagBefore))) << States();
    ClickButton(c.id);
    std::optional<Started> started = WaitForStart();
    ASSERT_TRUE(started.has_value()) << "nothing started";
    EXPECT_EQ(started->commandLine, c.commandLine);
    EXPECT_EQ(started->saverActive, c.flagSeenByVelora);
    EXPECT_TRUE(WaitForStates(c.statesWhileRunning)) << States();
    if (c.statesAfterToggle) {
      ClickButton(ID_TOGGLE);
      EXPECT_TRUE(WaitForStates(c.statesAfterToggle)) << States();
    }
    EndStandIns();
    EXPECT_TRUE(WaitForStates(Idle(c.flagAfter))) << States();
  }
}

TEST_F(VelpanelTest, WithoutVeloraTheSystemsMessageIsShownAndNothingChanges) {
  StartPanel(alone);
  ClickButton(ID_PLAY);
  HWND box = WaitForWindow(panel.id(), "#32770", "", kTimeout);
  ASSERT_NE(box, nullptr) << "no message box";
  char* systemText = nullptr;
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, ERROR_FILE_NOT_FOUND, 0,
                 reinterpret_cast<char*>(&systemText), 0, nullptr);
  ASSERT_NE(systemText, nullptr);
  std::string expected = systemText;
  LocalFree(systemText);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.caption, "Velora");
  EXPECT_EQ(info.text, expected);
  EXPECT_EQ(info.icon, BoxIcon::Exclamation) << ToString(info.icon);
  EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});
  PressKeys(box, "Return");
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kTimeout));
  // The click checked the button for a moment; the panel shows it idle again,
  // the flag as it was.
  EXPECT_TRUE(WaitForStates(Idle(flagAtStart))) << States();
}

}  // namespace
}  // namespace e2e
