// Common ground of the fractal saver's end-to-end tests: every test starts
// with no "Screen Saver.Mandelbrot" section and no screen-saver password in
// CONTROL.INI, and leaves none behind.
#ifndef E2E_FRACSAVE_TEST_H
#define E2E_FRACSAVE_TEST_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver.h"
#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"
#include "fracsave/core/password.h"

namespace e2e {

constexpr milliseconds kStartTimeout{15000};
constexpr milliseconds kExitTimeout{10000};
inline const char kSaverClass[] = "WindowsScreenSaverClass";
inline const char kSaverTitle[] = "Screen Saver.Mandelbrot";
inline const char kIni[] = "CONTROL.INI";
inline const char kSection[] = "Screen Saver.Mandelbrot";

// fracsave.scr under test, from FRACSAVE_SCR (a Linux path).
inline std::string FracsavePath() {
  const char* path = std::getenv("FRACSAVE_SCR");
  return path ? WindowsPathFromLinux(path) : std::string();
}

class NoRegionHost : public fracsave::RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

// The saver's first picture at the screen's size: preset 1, full mode, the
// colour wheel as built.
inline fracsave::Surface ExpectedFirstFrame(int width, int height) {
  fracsave::SaverState state{};
  fracsave::SaverSettings settings{};
  fracsave::BuildColourTable(state.colourTable);
  state.newImage = 1;
  state.presetIndex = 1;
  NoRegionHost host;
  fracsave::SurfaceScreen screen(width, height);
  fracsave::DrawFrame(state, settings, host, screen, width, height);
  return screen.screen;
}

// A password as CONTROL.INI keeps it.
inline std::string Scrambled(const char* typed) {
  char text[fracsave::kPasswordMax + 1] = {};
  lstrcpynA(text, typed, sizeof text);
  fracsave::ScramblePasswordWith(text, [](char* t) { CharUpperA(t); });
  return text;
}

inline HWND WaitForPrompt(DWORD processId) {
  return WaitForWindow(processId, "#32770", "Screen Saver Password", milliseconds(10000));
}

inline std::string IniText(const char* section, const char* key) {
  char text[256] = {};
  GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, kIni);
  return text;
}

class FracsaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(FracsavePath().empty()) << "FRACSAVE_SCR must name fracsave.scr";
    CleanUp();
    MoveMouseTo(320, 240);
  }
  void TearDown() override {
    saver = Process();  // ends it if a failed test left it running
    CleanUp();
  }
  static void CleanUp() {
    WritePrivateProfileStringA(kSection, nullptr, nullptr, kIni);
    WritePrivateProfileStringA("ScreenSaver", "Password", nullptr, kIni);
  }
  static void SetFlag(const char* key, const char* value) {
    WritePrivateProfileStringA(kSection, key, value, kIni);
  }
  static void SetStoredPassword(const char* scrambled) {
    WritePrivateProfileStringA("ScreenSaver", "Password", scrambled, kIni);
  }

  Process StartFracsave(const std::string& arguments) {
    return Process::Start(FracsavePath(), arguments);
  }
  // Starts the saver and waits for its window.
  void OpenSaver(const std::string& arguments = "/s") {
    saver = StartFracsave(arguments);
    ASSERT_TRUE(saver.started()) << "cannot start " << FracsavePath();
    window = WaitForWindow(saver.id(), kSaverClass, kSaverTitle, kStartTimeout);
    ASSERT_NE(window, nullptr) << "no saver window for '" << arguments << "'";
  }
  // Until the saver window is active and the saver has handled all input so far.
  void WaitUntilTakingInput() {
    ASSERT_TRUE(WaitUntil([&] { return ActiveOfThreadOf(window) == window; }, kStartTimeout));
    saver.WaitForInputIdle(kStartTimeout);
  }
  void ExpectEndsWith0(const std::string& after) {
    std::optional<DWORD> code = saver.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "still running after " << after;
    EXPECT_EQ(*code, 0u) << after;
  }

  Process saver;
  HWND window = nullptr;
};

}  // namespace e2e

#endif
