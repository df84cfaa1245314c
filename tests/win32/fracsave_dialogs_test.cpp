// The fractal saver's settings and password dialogs, driven in this process
// with real controls and CONTROL.INI. Modal dialogs are driven from a thread
// timer, which their own message loops dispatch.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fracsave/dialogs/saver_dialogs.h"
#include "fracsave/resources/resource_ids.h"
#include "fracsave/settings/saver_settings_io.h"
#include "tests/win32/high_dpi.h"

using namespace fracsave;

namespace {

const char* const kKeys[] = {"PWProtected", "FastGen", "ShiftPal", "RandCorners", "AlterCorners", "ShowGen"};

std::string IniText(const char* section, const char* key) {
  char text[256] = {};
  GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, kControlIni);
  return text;
}
std::string Flag(const char* key) { return IniText(kSaverSection, key); }
std::string StoredPassword() { return IniText(kPasswordSection, kPasswordKey); }
void SetFlag(const char* key, const char* value) {
  WritePrivateProfileStringA(kSaverSection, key, value, kControlIni);
}
void StorePassword(const std::string& typed) {
  char text[kPasswordMax + 1] = {};
  lstrcpynA(text, typed.c_str(), sizeof text);
  WriteStoredPassword(text);
}
std::string Scrambled(const std::string& typed) {
  char text[64] = {};
  lstrcpynA(text, typed.c_str(), sizeof text);
  ScramblePassword(text);
  return text;
}

// Steps run one after the other from a thread timer; each is retried until it
// answers true. Whatever modal loop runs at the time dispatches the timer.
struct ModalScript {
  static std::vector<std::function<bool()>>& Steps() {
    static std::vector<std::function<bool()>> steps;
    return steps;
  }
  static size_t& Next() {
    static size_t next;
    return next;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (Next() < Steps().size() && Steps()[Next()]()) ++Next();
  }
  explicit ModalScript(std::vector<std::function<bool()>> steps) {
    Steps() = std::move(steps);
    Next() = 0;
    timer = SetTimer(nullptr, 0, 20, OnTimer);
  }
  ~ModalScript() {
    KillTimer(nullptr, timer);
    Steps().clear();
  }
  bool Finished() const { return Next() == Steps().size(); }
  UINT_PTR timer;
};

HWND TopWindow(const char* caption) {
  HWND w = FindWindowA("#32770", caption);
  return w && IsWindowVisible(w) ? w : nullptr;
}

std::string BoxText(HWND box) {
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

std::string ItemText(HWND dialog, int id) {
  char text[64] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Waits for the dialog with the caption, then acts on it.
std::function<bool()> On(const char* caption, std::function<void(HWND)> act) {
  return [caption, act] {
    HWND w = TopWindow(caption);
    if (!w) return false;
    act(w);
    return true;
  };
}

// Waits for the "Invalid password" box, keeps its text and closes it.
std::function<bool()> DismissComplaint(std::string* text) {
  return On("Invalid password", [text](HWND box) {
    *text = BoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
}

struct HelpRecord {
  UINT command;
  ULONG_PTR data;
  std::string file;
};
std::vector<HelpRecord> g_helpCalls;
BOOL WINAPI RecordHelp(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
  g_helpCalls.push_back({command, data, file});
  return TRUE;
}

class FracsaveDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    CleanIni();
    g_helpCalls.clear();
    dialogs.instance = GetModuleHandleA(nullptr);
    dialogs.settings = &settings;
  }
  void TearDown() override {
    if (config) DestroyWindow(config);
    CleanIni();
  }
  static void CleanIni() {
    WritePrivateProfileStringA(kSaverSection, nullptr, nullptr, kControlIni);
    WritePrivateProfileStringA(kPasswordSection, kPasswordKey, nullptr, kControlIni);
  }
  HWND OpenConfig() {
    config = CreateDialogParamA(dialogs.instance, "DLG_SCRNSAVECONFIGURE", nullptr,
                                ScreenSaverConfigureDialog, LPARAM(&dialogs));
    return config;
  }
  INT_PTR RunChangePassword() { return OpenChangePassword(dialogs); }
  SaverSettings settings = {};
  DialogContext dialogs{RecordHelp};
  HWND config = nullptr;
};

// ---------------------------------------------------------------- configuration

TEST_F(FracsaveDialogs, ConfigShowsStoredFlagsAndAStoredTwoStaysOnWhenClicked) {
  SetFlag("FastGen", "2");
  SetFlag("ShowGen", "1");
  SetFlag("AlterCorners", "0");
  HWND d = OpenConfig();
  ASSERT_TRUE(d);
  EXPECT_EQ(dialogs.mainWindow, d);
  EXPECT_TRUE(Checked(d, IDC_FAST_GEN));
  EXPECT_TRUE(Checked(d, IDC_SHOW_GEN));
  EXPECT_FALSE(Checked(d, IDC_SHIFT_PAL));
  EXPECT_FALSE(Checked(d, IDC_RAND_CORNERS));
  EXPECT_FALSE(Checked(d, IDC_ALTER_CORNERS));
  EXPECT_FALSE(Checked(d, IDC_PW_PROTECTED));

  Click(d, IDC_FAST_GEN);
  EXPECT_EQ(settings.fastGen, 3);
  EXPECT_TRUE(Checked(d, IDC_FAST_GEN));
  Click(d, IDC_SHOW_GEN);
  EXPECT_EQ(settings.showGen, 0);
  EXPECT_FALSE(Checked(d, IDC_SHOW_GEN));
  Click(d, IDC_ALTER_CORNERS);
  EXPECT_TRUE(Checked(d, IDC_ALTER_CORNERS));

  SendMessageA(d, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Flag("FastGen"), "3");
  EXPECT_EQ(Flag("ShowGen"), "0");
  EXPECT_EQ(Flag("AlterCorners"), "1");
}

// The system's screen-saver tools open the exported dialog with no parameter.
TEST_F(FracsaveDialogs, ConfigOpenedWithNoParameterWorksOnAContextOfItsOwn) {
  SetFlag("ShiftPal", "1");
  config = CreateDialogParamA(dialogs.instance, "DLG_SCRNSAVECONFIGURE", nullptr, ScreenSaverConfigureDialog, 0);
  ASSERT_TRUE(config);
  EXPECT_TRUE(Checked(config, IDC_SHIFT_PAL));
  Click(config, IDC_RAND_CORNERS);
  SendMessageA(config, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Flag("RandCorners"), "1");
  EXPECT_EQ(Flag("ShiftPal"), "1");
  EXPECT_EQ(settings.randCorners, 0);  // the test's own context was not touched
}

TEST_F(FracsaveDialogs, SetPasswordIsEnabledOnlyWithPasswordProtected) {
  HWND d = OpenConfig();
  ASSERT_TRUE(d);
  EXPECT_FALSE(Enabled(d, IDC_SET_PASSWORD));
  Click(d, IDC_PW_PROTECTED);
  EXPECT_TRUE(Checked(d, IDC_PW_PROTECTED));
  EXPECT_TRUE(Enabled(d, IDC_SET_PASSWORD));
  Click(d, IDC_PW_PROTECTED);
  EXPECT_FALSE(Checked(d, IDC_PW_PROTECTED));
  EXPECT_FALSE(Enabled(d, IDC_SET_PASSWORD));
  DestroyWindow(d);
  config = nullptr;

  SetFlag("PWProtected", "1");
  d = OpenConfig();
  EXPECT_TRUE(Checked(d, IDC_PW_PROTECTED));
  EXPECT_TRUE(Enabled(d, IDC_SET_PASSWORD));
}

TEST_F(FracsaveDialogs, OkWritesAllSixKeys) {
  HWND d = OpenConfig();
  ASSERT_TRUE(d);
  Click(d, IDC_SHIFT_PAL);
  Click(d, IDC_RAND_CORNERS);
  Click(d, IDC_PW_PROTECTED);
  SendMessageA(d, WM_COMMAND, IDOK, 0);
  const char* expected[] = {"1", "0", "1", "1", "0", "0"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Flag(kKeys[i]), expected[i]) << kKeys[i];
  // And they read back the same way.
  settings = SaverSettings{};
  ReadSaverSettings(settings);
  EXPECT_EQ(settings.pwProtected, 1);
  EXPECT_EQ(settings.shiftPal, 1);
  EXPECT_EQ(settings.randCorners, 1);
  EXPECT_EQ(settings.fastGen, 0);
}

TEST_F(FracsaveDialogs, CancelWritesNothingButKeepsAPasswordSetMeanwhile) {
  HWND d = OpenConfig();
  ASSERT_TRUE(d);
  Click(d, IDC_FAST_GEN);
  Click(d, IDC_PW_PROTECTED);
  ModalScript script({On("Change Password", [](HWND p) {
    SetDlgItemTextA(p, IDC_NEW_PASSWORD, "fractal");
    SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, "FRACTAL");
    PostMessageA(p, WM_COMMAND, IDOK, 0);
  })});
  Click(d, IDC_SET_PASSWORD);  // runs the change-password dialog modally
  EXPECT_TRUE(script.Finished());
  SendMessageA(d, WM_COMMAND, IDCANCEL, 0);

  char section[256] = {1};
  EXPECT_EQ(GetPrivateProfileSectionA(kSaverSection, section, sizeof section, kControlIni), 0u);
  EXPECT_EQ(StoredPassword(), Scrambled("fractal"));
  EXPECT_EQ(StoredPassword(), Scrambled("FRACTAL"));
}

// At any DPI each dialog takes a font of its size in points and has room for every caption.
TEST_F(FracsaveDialogs, EveryDialogIsDrawnForTheScreensDpi) {
  ASSERT_TRUE(OpenConfig());
  EXPECT_EQ(high_dpi::DialogFaults(config), "");
  StorePassword("q");
  settings.pwProtected = 1;
  std::string prompt = "not opened", change = "not opened";
  ModalScript script({On("Screen Saver Password",
                         [&](HWND p) {
                           prompt = high_dpi::DialogFaults(p);
                           PostMessageA(p, WM_COMMAND, IDCANCEL, 0);
                         }),
                      On("Change Password", [&](HWND p) {
                        change = high_dpi::DialogFaults(p);
                        PostMessageA(p, WM_COMMAND, IDCANCEL, 0);
                      })});
  CheckSaverPassword(dialogs);
  RunChangePassword();
  EXPECT_EQ(prompt, "");
  EXPECT_EQ(change, "");
}

// ---------------------------------------------------------------- change password

TEST_F(FracsaveDialogs, WithNoPasswordTheOldFieldIsDisabledAndEmptyNewTurnsThePromptOff) {
  bool oldEnabled = true, labelEnabled = true;
  int limits[3] = {};
  ModalScript script({On("Change Password", [&](HWND p) {
    oldEnabled = Enabled(p, IDC_OLD_PASSWORD);
    labelEnabled = Enabled(p, IDC_OLD_PASSWORD_LABEL);
    for (int i = 0; i < 3; ++i)
      limits[i] = int(SendDlgItemMessageA(p, IDC_OLD_PASSWORD + i, EM_GETLIMITTEXT, 0, 0));
    PostMessageA(p, WM_COMMAND, IDOK, 0);
  })});
  EXPECT_EQ(RunChangePassword(), 1);
  EXPECT_FALSE(oldEnabled);
  EXPECT_FALSE(labelEnabled);
  for (int limit : limits) EXPECT_EQ(limit, kPasswordMax);
  EXPECT_EQ(StoredPassword(), "");

  // Protection on, but nothing stored: no prompt, the saver may end.
  settings.pwProtected = 1;
  EXPECT_EQ(CheckSaverPassword(dialogs), 1);
}

TEST_F(FracsaveDialogs, WrongOldPasswordIsRefusedThenTheRightOneInAnyCaseChangesIt) {
  StorePassword("alpha");
  std::string complaint, oldAfter;
  bool oldEnabled = false;
  ModalScript script({
      On("Change Password", [&](HWND p) {
        oldEnabled = Enabled(p, IDC_OLD_PASSWORD) && Enabled(p, IDC_OLD_PASSWORD_LABEL);
        SetDlgItemTextA(p, IDC_OLD_PASSWORD, "beta");
        SetDlgItemTextA(p, IDC_NEW_PASSWORD, "gamma");
        SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, "gamma");
        PostMessageA(p, WM_COMMAND, IDOK, 0);
      }),
      DismissComplaint(&complaint),
      On("Change Password", [&](HWND p) {
        oldAfter = ItemText(p, IDC_OLD_PASSWORD);
        SetDlgItemTextA(p, IDC_OLD_PASSWORD, "ALPHA");
        SetDlgItemTextA(p, IDC_NEW_PASSWORD, "Gamma");
        SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, "gAMMA");
        PostMessageA(p, WM_COMMAND, IDOK, 0);
      }),
  });
  EXPECT_EQ(RunChangePassword(), 1);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(oldEnabled);
  EXPECT_EQ(complaint, "You have entered an incorrect old password.");
  EXPECT_EQ(oldAfter, "");
  EXPECT_EQ(StoredPassword(), Scrambled("gamma"));
}

TEST_F(FracsaveDialogs, MismatchedNewTextsAreRefusedAndCancelStoresNothing) {
  std::string complaint, newAfter = "?", retypeAfter = "?";
  ModalScript script({
      On("Change Password", [](HWND p) {
        SetDlgItemTextA(p, IDC_NEW_PASSWORD, "abc");
        SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, "abd");
        PostMessageA(p, WM_COMMAND, IDOK, 0);
      }),
      DismissComplaint(&complaint),
      On("Change Password", [&](HWND p) {
        newAfter = ItemText(p, IDC_NEW_PASSWORD);
        retypeAfter = ItemText(p, IDC_RETYPE_PASSWORD);
        PostMessageA(p, WM_COMMAND, IDC_PASSWORD_HELP, 0);
        PostMessageA(p, WM_COMMAND, IDCANCEL, 0);
      }),
  });
  EXPECT_EQ(RunChangePassword(), 0);
  EXPECT_EQ(complaint, "You have entered an incorrect new password.");
  EXPECT_EQ(newAfter, "");
  EXPECT_EQ(retypeAfter, "");
  EXPECT_EQ(StoredPassword(), "<missing>");
  ASSERT_EQ(g_helpCalls.size(), 2u);
  EXPECT_EQ(g_helpCalls[0].command, UINT(HELP_CONTEXT));
  EXPECT_EQ(g_helpCalls[0].data, ULONG_PTR(kPasswordHelpContext));
  EXPECT_EQ(g_helpCalls[0].file, "CONTROL.HLP");
  EXPECT_EQ(g_helpCalls[1].command, UINT(HELP_QUIT));
  EXPECT_EQ(g_helpCalls[1].data, 0u);
}

TEST_F(FracsaveDialogs, OverlongTextsAreCutToTwentyCharacters) {
  // WM_SETTEXT is not bound by the edit's limit: the dialog must cut on reading.
  const std::string longText(60, 'k');
  ModalScript script({On("Change Password", [&](HWND p) {
    SetDlgItemTextA(p, IDC_NEW_PASSWORD, longText.c_str());
    SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, (std::string(20, 'k') + "different").c_str());
    PostMessageA(p, WM_COMMAND, IDOK, 0);
  })});
  EXPECT_EQ(RunChangePassword(), 1);
  EXPECT_EQ(StoredPassword(), Scrambled(std::string(20, 'k')));
  // A stored text longer than 20 characters is read as its first 20.
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, longText.c_str(), kControlIni);
  EXPECT_EQ(std::string(ReadStoredPassword().text), std::string(20, 'k'));
}

TEST_F(FracsaveDialogs, OneCharacterPasswordIsStoredAsTyped) {
  ModalScript script({On("Change Password", [](HWND p) {
    SetDlgItemTextA(p, IDC_NEW_PASSWORD, "q");
    SetDlgItemTextA(p, IDC_RETYPE_PASSWORD, "Q");
    PostMessageA(p, WM_COMMAND, IDOK, 0);
  })});
  EXPECT_EQ(RunChangePassword(), 1);
  EXPECT_EQ(StoredPassword(), "q");
}

// ---------------------------------------------------------------- the prompt

TEST_F(FracsaveDialogs, NoPromptWithoutProtectionOrPassword) {
  StorePassword("secret");
  settings.pwProtected = 0;
  EXPECT_EQ(CheckSaverPassword(dialogs), 1);
  settings.pwProtected = 1;
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, nullptr, kControlIni);
  EXPECT_EQ(CheckSaverPassword(dialogs), 1);
  // A prompt that cannot be made answers -1, and the saver carries on.
  StorePassword("secret");
  dialogs.instance = GetModuleHandleA("kernel32.dll");
  EXPECT_EQ(CheckSaverPassword(dialogs), -1);
}

TEST_F(FracsaveDialogs, PromptRefusesAWrongPasswordAndTakesTheRightOneInAnyCase) {
  StorePassword("Mandel");
  settings.pwProtected = 1;
  std::string complaint, after = "?";
  int limit = 0;
  ModalScript script({
      On("Screen Saver Password", [&](HWND p) {
        limit = int(SendDlgItemMessageA(p, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0));
        SetDlgItemTextA(p, IDC_PASSWORD, "mandelbrot");
        PostMessageA(p, WM_COMMAND, IDOK, 0);
      }),
      DismissComplaint(&complaint),
      On("Screen Saver Password", [&](HWND p) {
        after = ItemText(p, IDC_PASSWORD);
        SetDlgItemTextA(p, IDC_PASSWORD, "mANDEL");
        PostMessageA(p, WM_COMMAND, IDOK, 0);
      }),
  });
  EXPECT_EQ(CheckSaverPassword(dialogs), 1);
  EXPECT_EQ(limit, kPasswordMax);
  EXPECT_EQ(complaint, "You have entered an incorrect password.");
  EXPECT_EQ(after, "");
}

TEST_F(FracsaveDialogs, PromptCancelAnswersZero) {
  StorePassword("q");
  settings.pwProtected = 1;
  ModalScript script({On("Screen Saver Password", [](HWND p) {
    PostMessageA(p, WM_COMMAND, IDCANCEL, 0);
  })});
  EXPECT_EQ(CheckSaverPassword(dialogs), 0);
}

TEST_F(FracsaveDialogs, PromptGivesUpAfterFifteenSecondsEvenWhileTyping) {
  StorePassword("secret");
  settings.pwProtected = 1;
  const DWORD start = GetTickCount();
  // Keeps typing (a wrong prefix) without ever confirming.
  ModalScript script({[] {
    if (HWND p = TopWindow("Screen Saver Password")) SetDlgItemTextA(p, IDC_PASSWORD, "secr");
    return false;
  }});
  EXPECT_EQ(CheckSaverPassword(dialogs), 0);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, kPromptTimeoutMs - 100);
}

}  // namespace
