#include "velora/playlists/core/playlist_model.h"

#include <algorithm>

namespace velora {
namespace {

unsigned char FoldCase(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

int ComparePlaylistNames(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int diff = FoldCase(a[i]) - FoldCase(b[i]);
    if (diff != 0) return diff;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

size_t PlaylistInsertPosition(const std::vector<Playlist>& playlists, std::string_view name) {
  const auto after = std::find_if(playlists.begin(), playlists.end(), [name](const Playlist& p) {
    return ComparePlaylistNames(p.name, name) > 0;
  });
  return static_cast<size_t>(after - playlists.begin());
}

size_t InsertPlaylist(PlaylistSet& set, std::string name) {
  const size_t at = PlaylistInsertPosition(set.playlists, name);
  set.playlists.insert(set.playlists.begin() + static_cast<std::ptrdiff_t>(at), Playlist{std::move(name), {}});
  NowPlaying& now = set.nowPlaying;
  const bool refersToPlaylist = now.kind == NowPlaying::Kind::Playlist || now.kind == NowPlaying::Kind::Movie;
  if (refersToPlaylist && now.playlist >= static_cast<int>(at)) ++now.playlist;
  return at;
}

}  // namespace velora
