// Both savers and the panel on a desktop of two 640 x 480 monitors, in the
// bench's layout: the second monitor right of the primary, or left of it (the
// virtual screen then starts at -640). Every monitor is covered, the picture
// stays on the primary as on a single monitor, and input on the second
// monitor counts as input anywhere.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "fracsave/fracsave_test.h"

namespace e2e {
namespace {

struct Layout {
  const char* name;  // the bench's BENCH_LAYOUT
  int virtualLeft;   // SM_XVIRTUALSCREEN
  RECT second;       // the other monitor, screen coordinates
};
const Layout kLayouts[] = {
    {"right", 0, {640, 0, 1280, 480}},
    {"left", -640, {-640, 0, 0, 480}},
};
const RECT kPrimary{0, 0, 640, 480};

const Rgb kBlack{0, 0, 0};
const Rgb kGreen{0, 255, 0};
constexpr int kTolerance = 24;  // the clip's codec may round a pure colour a little

const std::string kCompanyKey = "Software\\Orvane Systems";
const std::string kPlayBackKey = "Software\\Orvane Systems\\velora\\PlayBack";
const std::string kPositionKey = "Software\\Orvane Systems\\Velora\\Position";

const Layout* BenchLayout() {
  const char* name = std::getenv("BENCH_LAYOUT");
  for (const Layout& layout : kLayouts)
    if (name && std::strcmp(name, layout.name) == 0) return &layout;
  return nullptr;
}

long Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string ProgramFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? WindowsPathFromLinux(value) : std::string();
}

class MonitorsTest : public FracsaveTest {
 protected:
  void SetUp() override {
    layout = BenchLayout();
    ASSERT_NE(layout, nullptr) << "BENCH_LAYOUT must name a layout of two monitors";
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    ASSERT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), layout->virtualLeft);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1280);
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    ASSERT_FALSE(VeloraPath().empty()) << "VELORA_SCR must name velora.scr";
    ASSERT_NO_FATAL_FAILURE(FracsaveTest::SetUp());
    CleanUpVelora();
    desktop = {layout->virtualLeft, 0, layout->virtualLeft + 1280, 480};
    secondCentre = {(layout->second.left + layout->second.right) / 2, 240};
  }
  void TearDown() override {
    program = Process();
    CleanUpVelora();
    FracsaveTest::TearDown();
  }
  static void CleanUpVelora() {
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
    DeleteFileIfPresent(PlaylistFilePath());
  }

  // xdotool and the screenshots count from the X screen's corner, which is
  // the virtual screen's.
  RECT OnX(RECT r) const {
    OffsetRect(&r, -layout->virtualLeft, 0);
    return r;
  }
  void PointerTo(POINT at) {
    MoveMouseTo(at.x - layout->virtualLeft, at.y);
    ASSERT_TRUE(WaitForPointerAt(at.x, at.y));
  }
  void ClickOnScreen(HWND window, POINT at) { ClickAt(window, at.x - layout->virtualLeft, at.y); }

  static void ExpectEndsWith0(Process& process, const std::string& after) {
    std::optional<DWORD> code = process.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "still running after " << after;
    EXPECT_EQ(*code, 0u) << after;
  }

  // Until both monitors are black but for the colour exactly over `where`.
  ::testing::AssertionResult ShownOnlyAt(const Rgb& colour, const RECT& where) {
    const RECT all = OnX(desktop), at = OnX(where);
    RECT box{};
    long black = 0;
    const bool shown = WaitUntil(
        [&] {
          Screenshot shot = Screenshot::TakeRoot();
          box = shot.BoundingBox(colour, kTolerance);
          black = shot.Count(all, kBlack, kTolerance);
          return Same(box, at) && shot.Count(at, colour, kTolerance) == Area(at) &&
                 black == Area(all) - Area(at);
        },
        milliseconds(10000), milliseconds(50));
    if (shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the colour is over (" << box.left << "," << box.top << ")-("
                                         << box.right << "," << box.bottom << ") on X; "
                                         << Area(all) - black << " pixels are not black";
  }

  const Layout* layout = nullptr;
  RECT desktop{};
  POINT secondCentre{};
  Process program;  // velora or the panel
};

TEST_F(MonitorsTest, VeloraCoversBothMonitorsPlaysOnThePrimaryAndEndsOnInputOnTheSecond) {
  const std::string green = SolidColourClip(kGreen, 320, 240, 20);
  ASSERT_FALSE(green.empty()) << "cannot make a clip";
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), "Velora PlayLists\r\n\r\n\a>Clips\a\r\n " + green + "\r\n"));
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPlayBackKey, "Center", 1));
  struct Case {
    const char* arguments;
    const char* ending;
    std::function<void(HWND)> end;
  } cases[] = {
      {"/s", "a one-pixel move on the second monitor", [](HWND player) { MoveMouseBy(player, 1, 0); }},
      {"/s", "a click on the second monitor",
       [&](HWND player) { ClickOnScreen(player, {secondCentre.x, secondCentre.y + 50}); }},
      {"/v", "Escape", [](HWND player) { PressKeys(player, "Escape"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.arguments) + ", ended by " + c.ending);
    ASSERT_NO_FATAL_FAILURE(PointerTo(secondCentre));
    program = Process::Start(VeloraPath(), c.arguments);
    HWND player = WaitForWindow(program.id(), "", "Velora", kStartTimeout);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(Same(Describe(player).rect, desktop));
    // Centred on the primary exactly as on a single monitor of its size.
    EXPECT_TRUE(ShownOnlyAt(kGreen, {160, 120, 480, 360}));
    program.WaitForInputIdle(kStartTimeout);
    c.end(player);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0(program, c.ending));
  }
}

TEST_F(MonitorsTest, FracsaveCoversBothMonitorsAndEndsOnAMoveOrAClickOnTheSecond) {
  for (bool click : {false, true}) {
    SCOPED_TRACE(click ? "a click" : "a one-pixel move");
    ASSERT_NO_FATAL_FAILURE(PointerTo(secondCentre));
    ASSERT_NO_FATAL_FAILURE(OpenSaver());
    EXPECT_TRUE(Same(Describe(window).rect, desktop));
    ASSERT_NO_FATAL_FAILURE(WaitUntilTakingInput());
    if (click)
      ClickOnScreen(window, {secondCentre.x, secondCentre.y + 50});
    else
      MoveMouseBy(window, 1, 0);
    ASSERT_NO_FATAL_FAILURE(FracsaveTest::ExpectEndsWith0(click ? "a click" : "a move"));
  }
}

TEST_F(MonitorsTest, FracsaveDrawsOnThePrimaryAndAMoveOnTheSecondOpensThePromptOnThePrimary) {
  SetFlag("PWProtected", "1");
  SetStoredPassword(Scrambled("fractal").c_str());
  const fracsave::Surface expected = ExpectedFirstFrame(640, 480);
  ASSERT_NO_FATAL_FAILURE(PointerTo(secondCentre));
  ASSERT_NO_FATAL_FAILURE(OpenSaver());
  ASSERT_NO_FATAL_FAILURE(WaitUntilTakingInput());

  HDC screenDc = GetDC(nullptr);
  const bool shown = WaitUntil(
      [&] {
        for (int i = 1; i < 8; ++i) {
          const int x = 640 * i / 8, y = 480 * i / 9;
          if (GetPixel(screenDc, x, y) != COLORREF(expected.At(x, y))) return false;
        }
        return true;
      },
      milliseconds(10000), milliseconds(2));
  ReleaseDC(nullptr, screenDc);
  ASSERT_TRUE(shown) << "the first picture did not appear on the primary";

  // The prompt holds the picture: no frame starts while it is up.
  MoveMouseBy(window, 1, 0);
  HWND prompt = WaitForPrompt(saver.id());
  ASSERT_NE(prompt, nullptr) << "a move on the second monitor opened no prompt";
  const RECT promptRect = Describe(prompt).rect;
  EXPECT_TRUE(Inside(promptRect, kPrimary));

  Screenshot shot = Screenshot::TakeRoot();
  ASSERT_FALSE(shot.empty());
  EXPECT_EQ(shot.Count(OnX(layout->second), kBlack), Area(layout->second));
  const RECT primaryOnX = OnX(kPrimary);
  int differences = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const POINT at{x, y};
      if (PtInRect(&promptRect, at)) continue;
      if (shot.At(primaryOnX.left + x, y) != RgbFromColorRef(COLORREF(expected.At(x, y)))) ++differences;
    }
  EXPECT_EQ(differences, 0);

  PressKeys(prompt, "f r a c t a l Return");
  ASSERT_NO_FATAL_FAILURE(FracsaveTest::ExpectEndsWith0("the right password"));
}

TEST_F(MonitorsTest, VelpanelKeepsAPlaceOnTheSecondMonitorAndBringsBackOneOnNoMonitor) {
  const std::string panel = ProgramFromEnvironment("VELPANEL_EXE");
  ASSERT_FALSE(panel.empty()) << "VELPANEL_EXE must name velpanel.exe";
  struct Case {
    const char* what;
    POINT stored, placed;
  } cases[] = {
      {"on the second monitor", {layout->second.left + 100, 200}, {layout->second.left + 100, 200}},
      {"on no monitor", {-3000, 200}, {0, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPositionKey, "Left", DWORD(c.stored.x)));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPositionKey, "Top", DWORD(c.stored.y)));
    program = Process::Start(panel, "");
    HWND window = WaitForWindow(program.id(), "", "Velora", kStartTimeout);
    ASSERT_NE(window, nullptr);
    const RECT rect = Describe(window).rect;
    EXPECT_EQ(rect.left, c.placed.x);
    EXPECT_EQ(rect.top, c.placed.y);
    program.Terminate();
  }
}

}  // namespace
}  // namespace e2e
