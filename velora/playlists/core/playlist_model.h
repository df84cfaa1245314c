// The playlist model that the setup dialog loads, edits and saves: named playlists of movie paths and at
// most one now-playing item.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velora {

struct MovieEntry {
  std::string path;
};

struct Playlist {
  std::string name;
  std::vector<MovieEntry> movies;
};

// What the saver plays: a whole playlist, one movie of a playlist, or one of the stray movies (shown in the
// setup dialog but never saved, so it is never marked in the file).
struct NowPlaying {
  enum class Kind { None, Playlist, Movie, StrayMovie };
  Kind kind = Kind::None;
  int playlist = -1;  // index into PlaylistSet::playlists (Playlist, Movie)
  int movie = -1;     // index into that playlist's movies (Movie) or into strayMovies (StrayMovie)
};

struct PlaylistSet {
  std::vector<Playlist> playlists;      // model order (alphabetical at insertion)
  std::vector<MovieEntry> strayMovies;  // movies before the first playlist line: shown, never saved
  NowPlaying nowPlaying;                // what the file's last marked line named
};

inline bool operator==(const MovieEntry& a, const MovieEntry& b) { return a.path == b.path; }
inline bool operator==(const Playlist& a, const Playlist& b) {
  return a.name == b.name && a.movies == b.movies;
}
inline bool operator==(const NowPlaying& a, const NowPlaying& b) {
  return a.kind == b.kind && a.playlist == b.playlist && a.movie == b.movie;
}
inline bool operator==(const PlaylistSet& a, const PlaylistSet& b) {
  return a.playlists == b.playlists && a.strayMovies == b.strayMovies && a.nowPlaying == b.nowPlaying;
}

// Alphabetical order of playlist names: byte by byte, ASCII letters compared as lower case, every other byte
// by its unsigned value; a name that is a prefix of another sorts first. So "nature" and "Nature" are equal
// and "_x" sorts before "a". Returns <0, 0 or >0.
int ComparePlaylistNames(std::string_view a, std::string_view b);

// Where a new playlist called `name` goes: before the first playlist whose name sorts after it, so it lands
// after any equal names. A rename does not move a playlist, so the list may be out of order; the scan from the
// front still gives a definite place.
size_t PlaylistInsertPosition(const std::vector<Playlist>& playlists, std::string_view name);

// Adds an empty playlist at its alphabetical place and returns its index. The now-playing reference keeps
// naming the same item.
size_t InsertPlaylist(PlaylistSet& set, std::string name);

}  // namespace velora
