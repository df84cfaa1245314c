// The preview as the system's screen-saver settings start it: one child of
// the window they lend, the sign and the names shown in it, and the end of
// the process when either window goes.
#include <functional>
#include <string>
#include <vector>

#include "velora_test.h"

namespace e2e {
namespace {

// The little monitor of the settings page.
constexpr int kWidth = 152, kHeight = 112;

// The smallest rectangle holding the area's light pixels (the names); all 0 if none.
RECT Names(const Screenshot& screen, const RECT& area) {
  RECT ink{};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const RECT pixel{x, y, x + 1, y + 1};
      if (Near(screen.At(x, y), {255, 255, 255}, 100)) UnionRect(&ink, &ink, &pixel);
    }
  return ink;
}

class PreviewTest : public VeloraTest {
 protected:
  // Starts velora with the arguments and waits for a child window in the host.
  void Open(const HostWindow& host, const std::string& arguments) {
    ASSERT_NE(host.hwnd(), nullptr);
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    ASSERT_TRUE(WaitUntil([&] { return !ChildWindows(host.hwnd()).empty(); }, kStartTimeout))
        << "no preview in the host";
    velora.WaitForInputIdle(kStartTimeout);
    preview = ChildWindows(host.hwnd()).front();
  }

  void ExpectEndsWith0(const char* after) {
    std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "still running after " << after;
    EXPECT_EQ(*code, 0u);
  }

  HWND preview = nullptr;
};

TEST_F(PreviewTest, OneChildCoversTheHostAndEndsWithEitherWindow) {
  struct Case {
    const char* before;  // the handle goes between these two
    const char* after;
    const char* closed;
    std::function<HWND(const HostWindow&, HWND)> whichToClose;
  };
  const std::vector<Case> cases = {
      {"/p ", "", "the host closed", [](const HostWindow& host, HWND) { return host.hwnd(); }},
      {"p ", " more", "the preview closed", [](const HostWindow&, HWND child) { return child; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.closed);
    HostWindow host(300, 200, kWidth, kHeight);
    ASSERT_NO_FATAL_FAILURE(Open(host, c.before + host.HandleText() + c.after));
    ASSERT_EQ(ChildWindows(host.hwnd()).size(), 1u);
    const WindowInfo info = Describe(preview);
    EXPECT_EQ(info.title, "Velora Preview");
    EXPECT_EQ(GetDlgCtrlID(preview), 1);
    EXPECT_EQ(info.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(info.exStyle, 0u);
    const RECT client = ClientRectOnScreen(host.hwnd());
    EXPECT_TRUE(EqualRect(&info.rect, &client));
    DWORD owner = 0;
    GetWindowThreadProcessId(preview, &owner);
    EXPECT_EQ(owner, velora.id());
    EXPECT_TRUE(TopLevelWindows(velora.id()).empty());

    PostMessageA(c.whichToClose(host, preview), WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0(c.closed));
  }
}

TEST_F(PreviewTest, SignAndNamesShowAndMoveOnTheDesktop) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(),
                             "Velora PlayLists\r\n\r\n\a>Nature\a\r\n C:\\CLIPS\\FISH.AVI\r\n"
                             " C:\\CLIPS\\BIRDS.AVI\r\n"));
  HostWindow host(300, 200, kWidth, kHeight);
  ASSERT_NO_FATAL_FAILURE(Open(host, "/p " + host.HandleText()));
  // Wine shows nothing that a child of another process's window paints; on
  // the desktop, at the screen's top left corner, the preview reaches the screen.
  SetParent(preview, nullptr);

  const RECT sign{(kWidth - 121) / 2, 2, (kWidth - 121) / 2 + 121, 42};
  const RECT names{0, 50, kWidth, kHeight};
  const Rgb letters{255, 255, 255}, signRed{0xa0, 0, 0}, lit{255, 255, 0};
  Screenshot first;
  ASSERT_TRUE(WaitUntil(
      [&] {
        first = Screenshot::TakeRoot();
        return !first.empty() && first.Count(sign, signRed) > 500 && first.Count(sign, lit) > 20 &&
               first.Count(sign, letters) > 100 && Names(first, names).right > 0;
      },
      kStartTimeout, milliseconds(100)))
      << "no sign with names";
  EXPECT_EQ(first.Count({0, 0, kWidth, 2}, {0, 0, 0}), kWidth * 2);
  const RECT fish = Names(first, {0, 50, kWidth, 70});
  EXPECT_NEAR((fish.left + fish.right) / 2.0, kWidth / 2.0, 3.0);

  // The lights chase and the names move up.
  bool lightsChanged = false, namesRose = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const Screenshot now = Screenshot::TakeRoot();
        if (now.empty()) return false;
        lightsChanged = lightsChanged || now.CountDifferences(first, sign) > 0;
        const RECT ink = Names(now, names);
        namesRose = namesRose || (ink.right > 0 && ink.top < fish.top);
        return lightsChanged && namesRose;
      },
      milliseconds(10000), milliseconds(100)))
      << "lights changed " << lightsChanged << ", names rose " << namesRose;

  PostMessageA(preview, WM_CLOSE, 0, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("the preview closed"));
}

}  // namespace
}  // namespace e2e
