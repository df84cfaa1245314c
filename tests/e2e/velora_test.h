// Common ground of the end-to-end tests: every test starts without a playlist
// file and without velora's registry keys, and leaves none behind.
#ifndef E2E_VELORA_TEST_H
#define E2E_VELORA_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

namespace e2e {

constexpr milliseconds kStartTimeout{15000};
constexpr milliseconds kExitTimeout{10000};

inline const std::string kCompanyKey = "Software\\Orvane Systems";
inline const std::string kPlayBackKey = "Software\\Orvane Systems\\velora\\PlayBack";

class VeloraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(VeloraPath().empty()) << "VELORA_SCR must name velora.scr";
    CleanUp();
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kCompanyKey));
    ASSERT_FALSE(FileExists(PlaylistFilePath()));
  }

  void TearDown() override {
    velora = Process();  // ends it if a failed test left it running
    CleanUp();
  }

  static void CleanUp() {
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
    DeleteFileIfPresent(PlaylistFilePath());
    DeleteFileIfPresent(PlaylistFilePath() + ".bak");
  }

  void Start(const std::string& arguments) {
    velora = Process::Start(VeloraPath(), arguments);
    ASSERT_TRUE(velora.started()) << "cannot start " << VeloraPath();
  }

  // Runs velora to its end; the visible windows it showed meanwhile land in `windows`.
  std::optional<DWORD> RunToExit(const std::string& arguments, std::vector<WindowInfo>* windows) {
    velora = Process::Start(VeloraPath(), arguments);
    if (!velora.started()) return std::nullopt;
    return velora.WaitForExit(kExitTimeout, windows);
  }

  Process velora;
};

}  // namespace e2e

#endif
