// The playlist file on disk: exclusive opens, waiting for another holder, and
// saves that never leave a broken file behind.
#include "velora/playlists/playlist_file.h"
#include "velora/playlists/whole_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace velora {
namespace {

class PlaylistFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    directory = std::string(temp) + "velora-file-test";
    CreateDirectoryA(directory.c_str(), nullptr);
    path = directory + "\\velora.ini";
    Clean();
  }
  void TearDown() override {
    Clean();
    RemoveDirectoryA(directory.c_str());
  }
  void Clean() {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((directory + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  void Write(const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }
  std::string Contents() { return ReadWholeFile(path).value_or("<missing>"); }
  int FilesInDirectory() {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return n;
  }
  // Another process's open, as far as sharing goes.
  HANDLE Hold(DWORD share) {
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  static void ReleaseAfter(HANDLE h, int ms) {
    std::thread([h, ms] {
      Sleep(ms);
      CloseHandle(h);
    }).detach();
  }

  std::string directory, path;
  const std::string original = "Velora PlayLists\r\n\r\n\a>Old\a\r\n C:\\OLD.AVI\r\n";
};

TEST_F(PlaylistFileTest, MissingFileReadsNothingAndIsNotCreated) {
  PlaylistFile file(path);
  std::vector<std::string> list{"kept"};
  file.ReadNowPlayingList(list);
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
  EXPECT_TRUE(file.LoadPlaylists().playlists.empty());
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PlaylistFileTest, ReadersAppendAndLoad) {
  Write(original);
  PlaylistFile file(path);
  std::vector<std::string> list{"first"};
  file.ReadNowPlayingList(list);
  EXPECT_EQ(list, (std::vector<std::string>{"first", "C:\\OLD.AVI"}));
  unsigned long error = 1;
  PlaylistSet set = file.LoadPlaylists(&error);
  ASSERT_EQ(set.playlists.size(), 1u);
  EXPECT_EQ(set.playlists[0].name, "Old");
  EXPECT_EQ(error, 0ul);
  // A missing file is no read error: there is simply nothing yet.
  Clean();
  EXPECT_TRUE(PlaylistFile(path).LoadPlaylists(&error).playlists.empty());
  EXPECT_EQ(error, 0ul);
}

// A file whose reading breaks off part way: a pipe whose writer sends the
// start of a playlist file and then goes away.
TEST_F(PlaylistFileTest, AReadThatBreaksOffIsAFailureNotTheEndOfTheText) {
  const std::string pipe = "\\\\.\\pipe\\velora-broken-read";
  HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                   nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  std::thread writer([&] {
    ConnectNamedPipe(server, nullptr);
    DWORD written;
    WriteFile(server, original.data(), DWORD(original.size() / 2), &written, nullptr);
    FlushFileBuffers(server);
    CloseHandle(server);
  });
  PlaylistFile file(pipe);
  unsigned long error = 0;
  const PlaylistSet set = file.LoadPlaylists(&error);
  writer.join();
  EXPECT_NE(error, 0ul);
  EXPECT_TRUE(set.playlists.empty());
}

TEST_F(PlaylistFileTest, OpenIsExclusiveEvenAgainstASharingHolder) {
  Write(original);
  HANDLE holder = Hold(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadWholeFile(path), std::nullopt);
  CloseHandle(holder);
  EXPECT_EQ(Contents(), original);
}

TEST_F(PlaylistFileTest, ReadWaitsBrieflyForAnotherHolder) {
  Write(original);
  HANDLE holder = Hold(0);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ReleaseAfter(holder, 300);
  EXPECT_EQ(ReadWholeFile(path), original);
}

TEST_F(PlaylistFileTest, SaveWritesTheWholeTextAndLeavesNothingElse) {
  Write(original);
  PlaylistFile file(path);
  PlaylistSet set = file.LoadPlaylists();
  set.playlists.push_back({"Nature", {{"C:\\CLIPS\\FISH.AVI"}}});
  set.nowPlaying = {NowPlaying::Kind::Playlist, 1, -1};
  EXPECT_TRUE(file.SavePlaylists(set));
  EXPECT_EQ(Contents(), "Velora PlayLists\r\n\r\n\a Old\a\r\n C:\\OLD.AVI\r\n\r\n\a>Nature\a\r\n C:\\CLIPS\\FISH.AVI\r\n");
  EXPECT_EQ(FilesInDirectory(), 1);  // nothing was passed over: no backup
}

TEST_F(PlaylistFileTest, TextTheLoadDidNotTakeIsKeptAsBackupBeforeTheSave) {
  const std::string bak = path + ".bak";
  const std::string untidy = "; my notes\r\n" + original + "C:\\NOMARK.AVI\r\n";
  // What the save replaces: text the load passed over, text changed since the load, text never loaded.
  const std::function<void(PlaylistFile&)> cases[] = {
      [&](PlaylistFile& f) { Write(untidy); f.LoadPlaylists(); },
      [&](PlaylistFile& f) { Write(original); f.LoadPlaylists(); Write(untidy); },
      [&](PlaylistFile&) { Write(untidy); },
  };
  for (const auto& prepare : cases) {
    Clean();
    PlaylistFile file(path);
    prepare(file);
    EXPECT_TRUE(file.SavePlaylists(PlaylistSet{}));
    EXPECT_EQ(Contents(), "Velora PlayLists\r\n");
    EXPECT_EQ(ReadWholeFile(bak), untidy);
    EXPECT_EQ(FilesInDirectory(), 2);
  }
  // Without the backup nothing is replaced.
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_READONLY);
  Write(untidy);
  EXPECT_FALSE(PlaylistFile(path).SavePlaylists(PlaylistSet{}));
  EXPECT_EQ(Contents(), untidy);
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PlaylistFileTest, SaveCreatesAMissingFile) {
  EXPECT_TRUE(PlaylistFile(path).SavePlaylists(PlaylistSet{}));
  EXPECT_EQ(Contents(), "Velora PlayLists\r\n");
}

TEST_F(PlaylistFileTest, SaveWaitsBrieflyForAnotherHolder) {
  Write(original);
  HANDLE holder = Hold(0);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ReleaseAfter(holder, 300);
  EXPECT_EQ(ReplaceWholeFile(path, "Velora PlayLists\r\n"), 0u);
  EXPECT_EQ(Contents(), "Velora PlayLists\r\n");
}

TEST_F(PlaylistFileTest, FailedSaveLeavesTheOldFileIntact) {
  Write(original);
  HANDLE holder = Hold(0);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_NE(ReplaceWholeFile(path, std::string(100000, 'x')), 0u);
  CloseHandle(holder);
  EXPECT_EQ(Contents(), original);
  EXPECT_EQ(FilesInDirectory(), 1);

  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(ReplaceWholeFile(path, "Velora PlayLists\r\n"), 0u);
  EXPECT_EQ(Contents(), original);
  EXPECT_EQ(FilesInDirectory(), 1);
}

TEST_F(PlaylistFileTest, NoPathReadsAndWritesNothing) {
  PlaylistFile file(std::nullopt);
  EXPECT_TRUE(file.LoadPlaylists().playlists.empty());
  EXPECT_FALSE(file.SavePlaylists(PlaylistSet{}));
  EXPECT_NE(ReplaceWholeFile(directory + "\\missing\\velora.ini", "x"), 0u);
}

TEST_F(PlaylistFileTest, AFailedSaveSaysWhichFileAndWhy) {
  const std::string bak = path + ".bak";
  struct Case {
    const char* what;
    std::function<void()> prepare;
    SaveFailure::Step step;
    std::string file;
    DWORD error;
  };
  HANDLE holder = INVALID_HANDLE_VALUE;
  const Case cases[] = {
      {"held by another program", [&] { Write(original); holder = Hold(0); }, SaveFailure::Step::PlaylistFile, path,
       ERROR_SHARING_VIOLATION},
      {"read-only", [&] { Write(""); SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); },
       SaveFailure::Step::PlaylistFile, path, ERROR_ACCESS_DENIED},
      {"backup refused", [&] {
         Write("; notes\r\n");  // text the load did not read: kept before it is replaced
         HANDLE f = CreateFileA(bak.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
         CloseHandle(f); },
       SaveFailure::Step::Backup, bak, ERROR_ACCESS_DENIED},
      {"read-only once its backup is kept", [&] {
         Write("; notes\r\n");
         SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); },
       SaveFailure::Step::PlaylistFile, path, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_NORMAL);
    Clean();
    c.prepare();
    SaveFailure failure;
    EXPECT_FALSE(PlaylistFile(path).SavePlaylists(PlaylistSet{}, &failure)) << c.what;
    EXPECT_EQ(failure.step, c.step) << c.what;
    EXPECT_EQ(failure.path, c.file) << c.what;
    EXPECT_EQ(failure.error, c.error) << c.what;
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    holder = INVALID_HANDLE_VALUE;
  }
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_NORMAL);
  SaveFailure failure;
  EXPECT_FALSE(PlaylistFile(std::nullopt).SavePlaylists(PlaylistSet{}, &failure));
  EXPECT_EQ(failure.path, "velora.ini");
  EXPECT_EQ(failure.error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

}  // namespace
}  // namespace velora
