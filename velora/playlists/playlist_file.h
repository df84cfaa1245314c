#pragma once
// The playlist file on disk. Every open is exclusive, so a saver and the setup
// dialog never see each other's half-done work; an open that finds the file
// held by another velora process waits for it briefly before giving up.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velora/playlists/core/playlist_model.h"

namespace velora {

// Why a save did not happen: the file that could not be written (the playlist
// file itself, or the copy of the old one that has to be kept first) and the
// system's error code.
struct SaveFailure {
  enum class Step { PlaylistFile, Backup };
  Step step = Step::PlaylistFile;
  std::string path;
  unsigned long error = 0;
};

class PlaylistFile {
 public:
  // The file in the Windows directory, or the user's VirtualStore copy of it
  // where this build follows that copy itself (framework/user_store.h); no
  // path when the directory is too long.
  static PlaylistFile InWindowsDirectory();
  // `virtualStoreCopy`: where a save goes when `path` refuses this user (the
  // x64 build), empty for none.
  explicit PlaylistFile(std::optional<std::string> path, std::string virtualStoreCopy = {})
      : path_(std::move(path)), virtualStoreCopy_(std::move(virtualStoreCopy)) {}

  const std::optional<std::string>& Path() const { return path_; }

  // Appends the now-playing movies' paths to the list; appends nothing when
  // the file is missing, locked or has no header.
  void ReadNowPlayingList(std::vector<std::string>& movieList) const;

  // The whole model, empty when the file cannot be read. What was read is
  // kept, so that the save can tell whether it replaces the same text. A file
  // that is there but could not be read whole sets `readError` to the
  // system's reason (0 otherwise); its save then keeps a copy of it first.
  PlaylistSet LoadPlaylists(unsigned long* readError = nullptr);

  // Rewrites the file from the model. The new text goes to a file beside it
  // and replaces the old one only once it is complete: a failure at any point
  // leaves the old file as it was. When the file about to be replaced holds
  // anything the model does not (text the load passed over, or text that the
  // load did not read at all), it is first kept as BackupPath(); without that
  // copy nothing is replaced. When the file refuses this user and there is a
  // VirtualStore copy to keep instead, the save goes there, and so do all
  // reads and saves after it. On failure, `failure` (if given) says why.
  bool SavePlaylists(const PlaylistSet& set, SaveFailure* failure = nullptr);

  // "velora.ini.bak" beside the file.
  std::optional<std::string> BackupPath() const;

 private:
  // The file's whole text (see ReadWholeFile); nothing without a path.
  std::optional<std::string> ReadBytes(unsigned long* error = nullptr) const;
  // The system's error, or 0 when the old text is safe to replace.
  unsigned long KeepBackupIfNeeded(SaveFailure::Step& step) const;
  unsigned long SaveAtPath(const PlaylistSet& set, SaveFailure::Step& step) const;

  std::optional<std::string> path_;
  std::string virtualStoreCopy_;
  // The text the last load read; nothing when it read none.
  std::optional<std::string> loaded_;
};

}  // namespace velora
