// fracsave.scr as the system and the user meet it: the mode letter, the one
// saver at a time, the first picture, the end on input and the password prompt.
#include <string>
#include <vector>

#include "fracsave_test.h"

namespace e2e {
namespace {

TEST_F(FracsaveTest, SaverSwitchesStartTheSaverOverTheWholeScreen) {
  for (const char* arguments : {"/s", "-S", "s", "Sx"}) {
    SCOPED_TRACE(arguments);
    ASSERT_NO_FATAL_FAILURE(OpenSaver(arguments));
    WindowInfo info = Describe(window);
    EXPECT_TRUE(info.style & WS_POPUP);
    EXPECT_FALSE(info.exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(info.rect.left, 0);
    EXPECT_EQ(info.rect.top, 0);
    EXPECT_EQ(info.rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    PressKeys(window, "q");
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a key"));
  }
}

TEST_F(FracsaveTest, OtherCommandLinesOpenTheConfigurationDialogWithNoOwner) {
  for (const char* arguments : {"", "/c", "/a", "/p 1234"}) {
    SCOPED_TRACE(arguments);
    saver = StartFracsave(arguments);
    ASSERT_TRUE(saver.started());
    HWND dialog = WaitForWindow(saver.id(), "#32770", "Screen Saver Configuration", kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_EQ(TopLevelWindows(saver.id()).size(), 1u);
    Click(GetDlgItem(dialog, IDCANCEL));
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Cancel"));
  }
  EXPECT_EQ(IniText(kSection, "FastGen"), "<missing>");

  // OK writes what the user ticked.
  saver = StartFracsave("/c");
  HWND dialog = WaitForWindow(saver.id(), "#32770", "Screen Saver Configuration", kStartTimeout);
  ASSERT_NE(dialog, nullptr);
  Click(GetDlgItem(dialog, 203));
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("OK"));
  EXPECT_EQ(IniText(kSection, "FastGen"), "1");
  EXPECT_EQ(IniText(kSection, "ShowGen"), "0");
}

TEST_F(FracsaveTest, ASecondStartWhileASaverRunsEndsWith1AndShowsNothing) {
  ASSERT_NO_FATAL_FAILURE(OpenSaver());
  for (const char* arguments : {"/s", "/c"}) {
    SCOPED_TRACE(arguments);
    Process second = StartFracsave(arguments);
    std::vector<WindowInfo> seen;
    std::optional<DWORD> code = second.WaitForExit(kExitTimeout, &seen);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 1u);
    EXPECT_TRUE(seen.empty());
  }
  EXPECT_TRUE(saver.Running());
}

TEST_F(FracsaveTest, FirstPictureIsPreset1AndThePasswordInAnyCaseEndsTheSaver) {
  SetFlag("PWProtected", "1");
  SetStoredPassword(Scrambled("fractal").c_str());
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const fracsave::Surface expected = ExpectedFirstFrame(width, height);
  ASSERT_NO_FATAL_FAILURE(OpenSaver());

  // Watch a few points until the first picture is on the screen, then hold the
  // saver with the prompt: no frame starts while it is up, and a frame that
  // already began draws off screen.
  std::vector<POINT> probes;
  for (int i = 1; i < 8; ++i) probes.push_back({width * i / 8, height * i / 9});
  HDC screenDc = GetDC(nullptr);
  const bool shown = WaitUntil(
      [&] {
        for (const POINT& p : probes)
          if (GetPixel(screenDc, p.x, p.y) != COLORREF(expected.At(p.x, p.y))) return false;
        return true;
      },
      milliseconds(10000), milliseconds(2));
  ReleaseDC(nullptr, screenDc);
  ASSERT_TRUE(shown) << "the first picture did not appear";
  PostMessageA(window, WM_KEYDOWN, 'Q', 0);
  HWND prompt = WaitForPrompt(saver.id());
  ASSERT_NE(prompt, nullptr);
  const RECT promptRect = Describe(prompt).rect;

  Screenshot shot = Screenshot::TakeRoot();
  ASSERT_FALSE(shot.empty());
  int differences = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (x >= promptRect.left && x < promptRect.right && y >= promptRect.top && y < promptRect.bottom)
        continue;
      if (shot.At(x, y) != RgbFromColorRef(COLORREF(expected.At(x, y)))) ++differences;
    }
  EXPECT_EQ(differences, 0);

  // The right password, typed in another case, ends the saver.
  PressKeys(prompt, "F r A c T a L Return");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("the right password"));
}

TEST_F(FracsaveTest, AWrongPasswordIsRefusedAndCancelResumesWithANewScene) {
  SetFlag("PWProtected", "1");
  SetStoredPassword(Scrambled("fractal").c_str());
  ASSERT_NO_FATAL_FAILURE(OpenSaver());
  ASSERT_NO_FATAL_FAILURE(WaitUntilTakingInput());
  PressKeys(window, "space");
  HWND prompt = WaitForPrompt(saver.id());
  ASSERT_NE(prompt, nullptr);
  // Another request while the prompt is up opens no second prompt.
  PostMessageA(window, WM_KEYDOWN, 'Q', 0);
  PressKeys(prompt, "w r o n g Return");
  HWND box = WaitForWindow(saver.id(), "#32770", "Invalid password", milliseconds(10000));
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.text, "You have entered an incorrect password.");
  EXPECT_EQ(info.icon, BoxIcon::Exclamation);
  PressKeys(box, "Return");
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, milliseconds(5000)));
  EXPECT_TRUE(IsWindowVisible(prompt));
  int prompts = 0;
  for (HWND w : TopLevelWindows(saver.id()))
    if (TextOf(w) == "Screen Saver Password") ++prompts;
  EXPECT_EQ(prompts, 1);

  Screenshot before = Screenshot::TakeRoot();
  Click(GetDlgItem(prompt, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }, milliseconds(5000)));
  const RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  // A new region fills the screen and the saver goes on.
  EXPECT_TRUE(WaitUntil(
      [&] { return Screenshot::TakeRoot().CountDifferences(before, all) > all.right * all.bottom / 4; },
      milliseconds(10000), milliseconds(200)));
  EXPECT_TRUE(saver.Running());
  // The mouse has to move again before the next prompt: nothing else ends it.
  saver.WaitForInputIdle(kStartTimeout);
  EXPECT_EQ(FindWindowA("#32770", "Screen Saver Password"), nullptr);
}

TEST_F(FracsaveTest, WithoutAPasswordAKeyEndsTheSaverAlsoInTheMiddleOfAFrame) {
  // Protected, but no password stored: no prompt. Show Generation draws
  // straight on the screen, so the frame under way can be seen.
  SetFlag("PWProtected", "1");
  SetFlag("ShowGen", "1");
  ASSERT_NO_FATAL_FAILURE(OpenSaver());
  const RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  // Wait until the first frame has begun but not finished: some columns drawn
  // over the black screen, most still black.
  Screenshot shot;
  ASSERT_TRUE(WaitUntil(
      [&] {
        shot = Screenshot::TakeRoot();
        const int black = shot.Count(all, Rgb{0, 0, 0});
        return black < all.right * all.bottom * 99 / 100;
      },
      milliseconds(10000), milliseconds(1)));
  PressKeys(window, "Shift_L");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a key"));
}

TEST_F(FracsaveTest, TheFirstMouseReportIsTheReferenceAndAOnePixelMoveEnds) {
  ASSERT_NO_FATAL_FAILURE(OpenSaver());
  ASSERT_NO_FATAL_FAILURE(WaitUntilTakingInput());
  MoveMouseTo(window, 320, 240);
  ASSERT_TRUE(WaitForPointerAt(320, 240));
  saver.WaitForInputIdle(kStartTimeout);
  ASSERT_TRUE(saver.Running()) << "the first mouse report ended the saver";
  MoveMouseBy(window, 1, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a move of one pixel"));
}

}  // namespace
}  // namespace e2e
