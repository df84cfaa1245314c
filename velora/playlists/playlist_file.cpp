#include "velora/playlists/playlist_file.h"

#include <windows.h>

#include "framework/user_store.h"
#include "velora/playlists/core/playlist_format.h"
#include "velora/playlists/core/playlist_path.h"
#include "velora/playlists/whole_file.h"

namespace velora {

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

PlaylistFile PlaylistFile::InWindowsDirectory() {
  char directory[kPathBufferSize] = {};
  UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return PlaylistFile(std::nullopt);
  std::optional<std::string> path = PlaylistFilePath(std::string_view(directory, length));
  if (!path) return PlaylistFile(std::nullopt);
  std::string copy = fw::FollowedVirtualStoreCopyOf(*path);
  if (!copy.empty() && fw::FileExists(copy)) return PlaylistFile(copy, copy);
  return PlaylistFile(std::move(path), std::move(copy));
}

std::optional<std::string> PlaylistFile::ReadBytes(unsigned long* error) const {
  if (!path_) {
    if (error) *error = 0;
    return std::nullopt;
  }
  return ReadWholeFile(*path_, error);
}

std::optional<std::string> PlaylistFile::BackupPath() const {
  if (!path_) return std::nullopt;
  return *path_ + ".bak";
}

unsigned long PlaylistFile::KeepBackupIfNeeded(SaveFailure::Step& step) const {
  step = SaveFailure::Step::PlaylistFile;
  if (!Exists(*path_)) return ERROR_SUCCESS;
  unsigned long error = ERROR_SUCCESS;
  std::optional<std::string> current = ReadBytes(&error);
  // A file that is there but cannot be read whole cannot be checked: leave it alone.
  if (!current) return error != ERROR_SUCCESS ? error : ERROR_READ_FAULT;
  if (current->find_first_not_of("\r\n") == std::string::npos) return ERROR_SUCCESS;
  if (current == loaded_ && !SaveWouldLoseText(*current)) return ERROR_SUCCESS;
  step = SaveFailure::Step::Backup;
  return ReplaceWholeFile(*BackupPath(), *current);
}

void PlaylistFile::ReadNowPlayingList(std::vector<std::string>& movieList) const {
  std::optional<std::string> bytes = ReadBytes();
  if (!bytes) return;
  for (std::string& path : ParseNowPlayingList(*bytes)) movieList.push_back(std::move(path));
}

PlaylistSet PlaylistFile::LoadPlaylists(unsigned long* readError) {
  loaded_ = ReadBytes(readError);
  return loaded_ ? ParsePlaylists(*loaded_) : PlaylistSet{};
}

unsigned long PlaylistFile::SaveAtPath(const PlaylistSet& set, SaveFailure::Step& step) const {
  DWORD error = KeepBackupIfNeeded(step);
  if (error != ERROR_SUCCESS) return error;
  // Once the backup is kept, a failure is the playlist file's own.
  step = SaveFailure::Step::PlaylistFile;
  return ReplaceWholeFile(*path_, FormatPlaylists(set));
}

bool PlaylistFile::SavePlaylists(const PlaylistSet& set, SaveFailure* failure) {
  SaveFailure::Step step = SaveFailure::Step::PlaylistFile;
  DWORD error = ERROR_FILENAME_EXCED_RANGE;
  if (path_) {
    error = SaveAtPath(set, step);
    // The Windows directory's file is left as it is: the user's own copy takes
    // the playlists, as the x86 build's writes land there for this user.
    const std::string failed = step == SaveFailure::Step::Backup ? *BackupPath() : *path_;
    if (!virtualStoreCopy_.empty() && *path_ != virtualStoreCopy_ && fw::RefusedByTheSystem(failed, error)) {
      path_ = virtualStoreCopy_;
      fw::MakeFoldersFor(*path_);
      error = SaveAtPath(set, step);
    }
  }
  if (error == ERROR_SUCCESS) return true;
  if (failure) {
    failure->step = step;
    failure->path = step == SaveFailure::Step::Backup ? *BackupPath() : path_.value_or("velora.ini");
    failure->error = error;
  }
  return false;
}

}  // namespace velora
