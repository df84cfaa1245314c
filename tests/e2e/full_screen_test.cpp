// The saver and the viewer as the user meets them: a black window over the
// whole screen, on top, that the saver leaves on any input and the viewer on
// Escape only.
#include <string>

#include "velora_test.h"

namespace e2e {
namespace {

class FullScreenTest : public VeloraTest {
 protected:
  // Starts a full-screen mode and waits for its window.
  void Open(const std::string& arguments) {
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    window = WaitForWindow(velora.id(), "", "Velora", kStartTimeout);
    ASSERT_NE(window, nullptr) << "no full-screen window";
  }

  void ExpectEndsWith0(const std::string& after) {
    std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "still running after " << after;
    EXPECT_EQ(*code, 0u);
  }

  HWND window = nullptr;
};

TEST_F(FullScreenTest, SaverCoversTheScreenOnTopAndEndsOnAOnePixelMove) {
  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  WindowInfo info = Describe(window);
  EXPECT_TRUE(info.style & WS_POPUP);
  EXPECT_FALSE(info.style & WS_CAPTION);
  EXPECT_TRUE(info.exStyle & WS_EX_TOPMOST);
  EXPECT_EQ(info.rect.left, 0);
  EXPECT_EQ(info.rect.top, 0);
  EXPECT_EQ(info.rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(info.rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(TopLevelWindows(velora.id()).size(), 1u);

  // Without a playlist file there is nothing to play: black, with the red hint.
  Screenshot screen;
  const RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const int pixels = all.right * all.bottom;
  EXPECT_TRUE(WaitUntil(
      [&] {
        screen = Screenshot::TakeRoot();
        return screen.Count(all, Rgb{255, 0, 0}) > 20 &&
               screen.Count(all, Rgb{0, 0, 0}) + screen.Count(all, Rgb{255, 0, 0}) > pixels * 95 / 100;
      },
      milliseconds(5000), milliseconds(100)))
      << "not black with a red hint";

  ASSERT_TRUE(velora.Running());
  MoveMouseBy(window, 1, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a move of one pixel"));
  // Only the setup dialog's OK writes settings.
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
}

TEST_F(FullScreenTest, SaverEndsOnALetterKeyAndOnAMiddleClick) {
  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("-S"));
  ASSERT_TRUE(velora.Running());
  PressKeys(window, "q");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a letter key"));

  ASSERT_NO_FATAL_FAILURE(Open("s"));
  ASSERT_TRUE(velora.Running());
  ClickAt(window, 320, 240, 2);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a middle click"));
}

TEST_F(FullScreenTest, ViewerIgnoresLettersClicksAndMovesAndEndsOnEscape) {
  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/v"));
  WindowInfo info = Describe(window);
  EXPECT_TRUE(info.exStyle & WS_EX_TOPMOST);
  EXPECT_EQ(info.rect.right - info.rect.left, GetSystemMetrics(SM_CXSCREEN));

  PressKeys(window, "q");
  ClickAt(window, 100, 100);
  MoveMouseBy(window, 30, 20);
  // Nothing can show that input was ignored, so give it a moment to act.
  EXPECT_FALSE(velora.WaitForExit(milliseconds(500)).has_value())
      << "the viewer ended on a letter, a click or a move";
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));
}

}  // namespace
}  // namespace e2e
