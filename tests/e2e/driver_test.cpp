// The driver's own plumbing: screenshots reach the pixels on the X screen, and
// input waits until its window can take it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "driver.h"

namespace e2e {
namespace {

TEST(DriverTest, PpmOfEightAndSixteenBitsReadsAsRgb) {
  Screenshot eight = Screenshot::FromPpm(std::string("P6\n# made by hand\n2 1\n255\n") +
                                         std::string("\xff\x00\x80\x01\x02\x03", 6));
  ASSERT_EQ(eight.width(), 2);
  ASSERT_EQ(eight.height(), 1);
  EXPECT_EQ(eight.At(0, 0), (Rgb{255, 0, 128}));
  EXPECT_EQ(eight.At(1, 0), (Rgb{1, 2, 3}));

  Screenshot sixteen = Screenshot::FromPpm(std::string("P6 1 1 65535\n") +
                                           std::string("\xff\xff\x00\x00\x80\x80", 6));
  ASSERT_EQ(sixteen.width(), 1);
  EXPECT_EQ(sixteen.At(0, 0), (Rgb{255, 0, 128}));

  EXPECT_TRUE(Screenshot::FromPpm("P6 2 2 255\n\x01\x02").empty());  // cut short
  EXPECT_TRUE(Screenshot::FromPpm("P3 1 1 255\n1 2 3").empty());     // text form
}

TEST(DriverTest, ScreenshotShowsAWindowOfThisProcess) {
  HostWindow white(100, 60, 50, 40);
  ASSERT_NE(white.hwnd(), nullptr);
  Screenshot screen;
  const RECT area{100, 60, 150, 100};
  EXPECT_TRUE(WaitUntil(
      [&] {
        screen = Screenshot::TakeRoot();
        return screen.Count(area, Rgb{255, 255, 255}) == 50 * 40;
      },
      milliseconds(5000), milliseconds(100)));
  EXPECT_EQ(screen.width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screen.height(), GetSystemMetrics(SM_CYSCREEN));
}

TEST(DriverTest, AWindowIsReadyForInputOnlyShownEnabledAndWithItsThreadListening) {
  constexpr milliseconds kShort{300}, kLong{10000};
  HostWindow hidden;
  EXPECT_FALSE(WaitUntilReadyForInput(hidden.hwnd(), kShort));
  EXPECT_FALSE(WaitUntilReadyForInput(StaleWindowHandle(), kShort));
  HostWindow shown(10, 10, 40, 30);
  EXPECT_TRUE(WaitUntilReadyForInput(shown.hwnd(), kLong));
  EnableWindow(shown.hwnd(), FALSE);
  EXPECT_FALSE(WaitUntilReadyForInput(shown.hwnd(), kShort));
  EnableWindow(shown.hwnd(), TRUE);

  // A window shown by a thread that is still busy, as a program's is while it
  // sets up after showing it.
  std::atomic<HWND> busy{nullptr};
  std::atomic<bool> listening{false};
  std::thread owner([&] {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 60, 10, 40, 30, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    busy = window;
    Sleep(1000);
    listening = true;
    while (IsWindow(window)) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(5);
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return busy.load() != nullptr; }, kLong));
  EXPECT_TRUE(WaitUntilReadyForInput(busy, kLong));
  EXPECT_TRUE(listening) << "ready before its thread listened";
  PostMessageA(busy, WM_CLOSE, 0, 0);
  owner.join();
}

}  // namespace
}  // namespace e2e
