#include "velora/playlists/playlist_file.h"

#include <windows.h>

#include <algorithm>

#include "framework/handles.h"
#include "framework/user_store.h"
#include "velora/playlists/core/playlist_format.h"
#include "velora/playlists/core/playlist_path.h"

namespace velora {

namespace {

constexpr DWORD kRetryStepMilliseconds = 50;

bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Retries a step while another process holds the file, for about a second.
template <typename Step>
auto WhileHeld(Step step) {
  DWORD waited = 0;
  for (;;) {
    auto result = step();
    if (result || !HeldByAnother(GetLastError()) || waited >= kLockedRetryMilliseconds)
      return result;
    Sleep(kRetryStepMilliseconds);
    waited += kRetryStepMilliseconds;
  }
}

fw::UniqueFile OpenExclusive(const std::string& path, DWORD access, DWORD disposition) {
  return WhileHeld([&] {
    return fw::UniqueFile(CreateFileA(path.c_str(), access, 0, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  });
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The system's code for the failure that just happened; `fallback` when it gave none.
DWORD LastErrorOr(DWORD fallback) {
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

// Writes a whole new file beside `path` and moves it over `path` only once it
// is complete. Answers the system's error, 0 on success.
DWORD WriteReplacing(const std::string& path, std::string_view bytes) {
  // A file the user made read-only stays as it is.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  std::string directory = DirectoryOf(path);
  char temporary[MAX_PATH] = {};
  if (!GetTempFileNameA(directory.c_str(), "vel", 0, temporary)) return LastErrorOr(ERROR_CANNOT_MAKE);
  DWORD error = ERROR_SUCCESS;
  {
    fw::UniqueFile file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error == ERROR_SUCCESS) {
    const bool moved = WhileHeld([&] {
      return MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
    if (!moved) error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error != ERROR_SUCCESS) DeleteFileA(temporary);
  return error;
}

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
  unsigned long ignored = 0;
  if (!error) error = &ignored;
  *error = ERROR_SUCCESS;
  if (!path_) return std::nullopt;
  fw::UniqueFile file = OpenExclusive(*path_, GENERIC_READ, OPEN_EXISTING);
  if (!file) {
    const DWORD why = GetLastError();
    if (why != ERROR_FILE_NOT_FOUND && why != ERROR_PATH_NOT_FOUND) *error = LastErrorOr(ERROR_OPEN_FAILED);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    // Part of a text is no text: a save must never take it for the whole file.
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      *error = LastErrorOr(ERROR_READ_FAULT);
      return std::nullopt;
    }
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
}

bool PlaylistFile::ReplaceBytes(std::string_view bytes) const {
  return path_ && WriteReplacing(*path_, bytes) == ERROR_SUCCESS;
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
  return WriteReplacing(*BackupPath(), *current);
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
  return WriteReplacing(*path_, FormatPlaylists(set));
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
