// Where each build keeps the user's copy of velora.ini and CONTROL.INI: the
// x86 programs leave it to the system, the x64 programs follow the per-user
// VirtualStore copy themselves. Wine lets every write through, so a refused
// Windows directory is played by a write that answers "access denied".
#include "framework/user_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fracsave/settings/saver_settings_io.h"
#include "velora/playlists/playlist_file.h"
#include "velora/playlists/whole_file.h"

namespace {

std::string TempFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name;
}

void WriteText(const std::string& path, const std::string& text) {
  fw::MakeFoldersFor(path);
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written;
  WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(f);
}

TEST(UserStore, TheCopyIsNamedAsTheSystemNamesIt) {
  EXPECT_EQ(fw::VirtualStoreCopyOf("C:\\Windows\\velora.ini", "C:\\Users\\Ann\\AppData\\Local"),
            "C:\\Users\\Ann\\AppData\\Local\\VirtualStore\\Windows\\velora.ini");
  EXPECT_EQ(fw::VirtualStoreCopyOf("D:\\WINNT\\CONTROL.INI", "E:\\Local\\"), "E:\\Local\\VirtualStore\\WINNT\\CONTROL.INI");
  EXPECT_EQ(fw::VirtualStoreCopyOf("velora.ini", "C:\\Local"), "");
  EXPECT_EQ(fw::VirtualStoreCopyOf("C:\\Windows\\velora.ini", ""), "");
  EXPECT_EQ(fw::VirtualStoreCopyOf("C:\\Windows\\velora.ini", "C:\\" + std::string(300, 'x')), "");
}

TEST(UserStore, OnlyTheX64BuildFollowsTheCopy) {
  EXPECT_EQ(fw::kFollowsVirtualStore, sizeof(void*) == 8);
  EXPECT_EQ(fw::FollowedVirtualStoreCopyOf("C:\\Windows\\velora.ini").empty(), !fw::kFollowsVirtualStore);
}

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = TempFolder("velora-user-store");
    windowsFile = folder + "\\Windows\\TEST.INI";
    copy = folder + "\\Local\\VirtualStore\\Windows\\TEST.INI";
    DeleteFileA(windowsFile.c_str());
    DeleteFileA(copy.c_str());
    WriteText(windowsFile, "[Saver]\r\nFlag=1\r\n");
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMappingKey);
    DeleteFileA(windowsFile.c_str());
    DeleteFileA(copy.c_str());
  }
  static constexpr const char* kMappingKey =
      "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\TEST.INI";
  std::string folder, windowsFile, copy;
};

TEST_F(ProfileFileTest, ReadsTheCopyWhenThereIsOneAndTheWindowsFileBefore) {
  const fw::UserProfileFile file("TEST.INI", windowsFile, copy);
  EXPECT_EQ(file.ForReading("Saver"), windowsFile);
  WriteText(copy, "[Saver]\r\nFlag=2\r\n");
  EXPECT_EQ(file.ForReading("Saver"), copy);
  // Without a copy to follow, the system is given the bare name, as ever.
  EXPECT_EQ(fw::UserProfileFile("TEST.INI", windowsFile, "").ForReading("Saver"), "TEST.INI");
}

TEST_F(ProfileFileTest, AWriteTheWindowsDirectoryRefusesGoesToTheCopy) {
  const fw::UserProfileFile file("TEST.INI", windowsFile, copy);
  std::vector<std::string> tried;
  const auto refusingTheWindowsFile = [&](const char* path) -> DWORD {
    tried.push_back(path);
    if (path == windowsFile) return ERROR_ACCESS_DENIED;
    return WritePrivateProfileStringA("Saver", "Flag", "3", path) ? ERROR_SUCCESS : GetLastError();
  };
  EXPECT_EQ(file.Store("Saver", refusingTheWindowsFile), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(tried, (std::vector<std::string>{windowsFile, copy}));
  EXPECT_EQ(GetPrivateProfileIntA("Saver", "Flag", 0, file.ForReading("Saver").c_str()), 3u);
  EXPECT_EQ(GetPrivateProfileIntA("Saver", "Flag", 0, windowsFile.c_str()), 1u);
  // From then on the copy is the one written; another failure is reported as it is.
  tried.clear();
  EXPECT_EQ(file.Store("Saver", [&](const char* path) -> DWORD {
    tried.push_back(path);
    return ERROR_WRITE_FAULT;
  }), DWORD(ERROR_WRITE_FAULT));
  EXPECT_EQ(tried, std::vector<std::string>{copy});
}

TEST_F(ProfileFileTest, ASectionTheSystemKeepsInTheRegistryIsGivenByBareName) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMappingKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Password Section", 0, REG_SZ, reinterpret_cast<const BYTE*>("USR:Test"), 9);
  RegCloseKey(key);
  WriteText(copy, "[Saver]\r\n");
  const fw::UserProfileFile file("TEST.INI", windowsFile, copy);
  EXPECT_TRUE(fw::SectionMappedToRegistry("TEST.INI", "Password Section"));
  EXPECT_FALSE(fw::SectionMappedToRegistry("TEST.INI", "Saver"));
  EXPECT_EQ(file.ForReading("Password Section"), "TEST.INI");
  EXPECT_EQ(file.ForReading("Saver"), copy);
}

// The products: velora's playlists and fracsave's settings follow the copy
// in the x64 build and stay with the Windows directory's file in the x86 one.
class ProductStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    char local[MAX_PATH];
    GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
    for (const char* name : {"velora.ini", "CONTROL.INI"}) {
      const std::string path = std::string(windows) + "\\" + name;
      windowsFiles.push_back(path);
      copies.push_back(fw::VirtualStoreCopyOf(path, local));
      saved.push_back(Read(path));
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < windowsFiles.size(); ++i) {
      DeleteFileA(copies[i].c_str());
      if (saved[i].empty()) DeleteFileA(windowsFiles[i].c_str()); else WriteText(windowsFiles[i], saved[i]);
    }
  }
  static std::string Read(const std::string& path) {
    return velora::ReadWholeFile(path).value_or("");
  }
  std::vector<std::string> windowsFiles, copies, saved;
};

TEST_F(ProductStoreTest, EachBuildReadsWhereItsWritesLandForTheUser) {
  WriteText(windowsFiles[0], "Velora PlayLists\r\n\r\n\a>Windows\a\r\n C:\\A.AVI\r\n");
  WriteText(copies[0], "Velora PlayLists\r\n\r\n\a>Copy\a\r\n C:\\B.AVI\r\n");
  WriteText(windowsFiles[1], "[Screen Saver.Mandelbrot]\r\nFastGen=0\r\n");
  WriteText(copies[1], "[Screen Saver.Mandelbrot]\r\nFastGen=1\r\n");
  std::vector<std::string> movies;
  velora::PlaylistFile::InWindowsDirectory().ReadNowPlayingList(movies);
  fracsave::SaverSettings settings{};
  fracsave::ReadSaverSettings(settings);
  if (fw::kFollowsVirtualStore) {
    EXPECT_EQ(movies, std::vector<std::string>{"C:\\B.AVI"});
    EXPECT_EQ(settings.fastGen, 1);
  } else {
    EXPECT_EQ(movies, std::vector<std::string>{"C:\\A.AVI"});
    EXPECT_EQ(settings.fastGen, 0);
  }
}

TEST_F(ProductStoreTest, APlaylistSaveTheWindowsDirectoryRefusesGoesToTheUsersCopy) {
  // A folder where the file should be refuses every write, as a protected
  // Windows directory does for a normal user.
  const std::string refused = TempFolder("velora-refused\\velora.ini");
  const std::string copy = TempFolder("velora-refused-store\\VirtualStore\\velora.ini");
  fw::MakeFoldersFor(refused + "\\x");
  DeleteFileA(copy.c_str());
  velora::PlaylistFile file(refused, copy);
  velora::PlaylistSet set;
  velora::Playlist kept;
  kept.name = "Kept";
  kept.movies.push_back({"C:\\CLIPS\\ONE.AVI"});
  set.playlists.push_back(kept);
  EXPECT_TRUE(file.SavePlaylists(set));
  EXPECT_EQ(file.Path(), copy);
  EXPECT_EQ(file.LoadPlaylists().playlists.size(), 1u);
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(refused.c_str());

  // A file the user made read-only stays a failure, as in the x86 build.
  const std::string readOnly = TempFolder("velora-refused\\velora.ini");
  WriteText(readOnly, "Velora PlayLists\r\n");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  velora::PlaylistFile readOnlyFile(readOnly, copy);
  EXPECT_FALSE(readOnlyFile.SavePlaylists(set));
  EXPECT_FALSE(fw::FileExists(copy));
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(readOnly.c_str());
}

}  // namespace
