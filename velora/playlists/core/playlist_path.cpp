#include "velora/playlists/core/playlist_path.h"

namespace velora {

std::optional<std::string> PlaylistFilePath(std::string_view windowsDirectory) {
  if (windowsDirectory.empty()) return std::nullopt;
  std::string path(windowsDirectory);
  // A root directory ("C:\") already ends in the separator.
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  path += "velora.ini";
  if (path.size() + 1 > kPathBufferSize) return std::nullopt;
  return path;
}

}  // namespace velora
