// Per-user settings in the registry, and velora's playback values on top of them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/registry_settings.h"
#include "velora/shell/playback_settings_store.h"

namespace {

const char kCompany[] = "Orvane Test Company";

void DeleteTree(HKEY parent, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char child[256];
  for (;;) {
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteTree(key, child);
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, name.c_str());
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTree(HKEY_CURRENT_USER, std::string("Software\\") + kCompany); }
  void TearDown() override { SetUp(); }

  static bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  static DWORD ValueCount(const std::string& path) {
    HKEY key;
    DWORD values = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return values;
  }
  const std::string section = std::string("Software\\") + kCompany + "\\velora\\PlayBack";
};

TEST_F(RegistryTest, ReadingCreatesTheKeysButNoValues) {
  fw::RegistrySettings settings(kCompany, "velora");
  EXPECT_EQ(settings.GetInt("PlayBack", "Zoom", 1), 1);
  EXPECT_TRUE(KeyExists(section));
  EXPECT_EQ(ValueCount(section), 0u);
}

TEST_F(RegistryTest, WritesDwordsThatReadBack) {
  fw::RegistrySettings settings(kCompany, "velora");
  ASSERT_TRUE(settings.WriteInt("PlayBack", "Speed", -1500));
  EXPECT_EQ(settings.GetInt("PlayBack", "Speed", 1000), -1500);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, section.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  RegQueryValueExA(key, "Speed", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(static_cast<int>(value), -1500);
}

TEST_F(RegistryTest, ValuesOfAnotherTypeGiveTheDefault) {
  fw::RegistrySettings settings(kCompany, "velora");
  settings.GetInt("PlayBack", "Zoom", 1);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, section.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
  RegSetValueExA(key, "Zoom", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2);
  BYTE shortBinary[2] = {2, 0};
  RegSetValueExA(key, "Speed", 0, REG_BINARY, shortBinary, sizeof shortBinary);
  RegCloseKey(key);
  EXPECT_EQ(settings.GetInt("PlayBack", "Zoom", 1), 1);
  EXPECT_EQ(settings.GetInt("PlayBack", "Speed", 1000), 1000);
}

TEST_F(RegistryTest, PlaybackSettingsDefaultsAndRoundTrip) {
  fw::RegistrySettings settings(kCompany, "velora");
  velora::PlaybackSettings first = velora::ReadPlaybackSettings(settings);
  EXPECT_EQ(first.Reverse, 0);
  EXPECT_EQ(first.Mute, 0);
  EXPECT_EQ(first.Zoom, 1);
  EXPECT_EQ(first.Speed, 1000);
  EXPECT_EQ(first.Center, 0);
  EXPECT_EQ(ValueCount(section), 0u);

  velora::PlaybackSettings changed{1, 1, 2, 500, 1};
  velora::WritePlaybackSettings(settings, changed);
  EXPECT_EQ(ValueCount(section), 5u);
  velora::PlaybackSettings again = velora::ReadPlaybackSettings(settings);
  EXPECT_EQ(again.Reverse, 1);
  EXPECT_EQ(again.Mute, 1);
  EXPECT_EQ(again.Zoom, 2);
  EXPECT_EQ(again.Speed, 500);
  EXPECT_EQ(again.Center, 1);
  EXPECT_EQ(again.FitToScreen, 0);

  // Fit to screen is a sixth value, there once chosen, and kept when given up.
  changed.FitToScreen = 1;
  velora::WritePlaybackSettings(settings, changed);
  EXPECT_EQ(velora::ReadPlaybackSettings(settings).FitToScreen, 1);
  changed.FitToScreen = 0;
  velora::WritePlaybackSettings(settings, changed);
  EXPECT_EQ(ValueCount(section), 6u);
  EXPECT_EQ(velora::ReadPlaybackSettings(settings).FitToScreen, 0);
}

}  // namespace
