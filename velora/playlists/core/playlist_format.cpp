#include "velora/playlists/core/playlist_format.h"

#include <algorithm>
#include <numeric>

namespace velora {
namespace {

constexpr std::string_view kHeader = "Velora PlayLists";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kBel = '\a';
constexpr char kEndOfText = '\x1a';  // Ctrl-Z: nothing after it is read
constexpr char kNowPlayingMark = '>';
constexpr char kPlainMark = ' ';
// What several editors put before the first line of a text they save as UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A playlist or movie line after the header, as both readers see it.
struct FileEntry {
  bool isPlaylist = false;
  bool marked = false;
  std::string_view text;  // the playlist's name or the movie's path
};

// Splits the file into lines and classifies them; the one place that knows the line rules. It also notes
// whether it passed over anything a user may have written (Dropped), which a rewrite would then lose.
class EntryReader {
 public:
  EntryReader(std::string_view bytes, size_t lineLimit) : lineLimit_(lineLimit) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    const size_t end = bytes.find(kEndOfText);
    rest_ = bytes.substr(0, end);
    // A single Ctrl-Z at the very end is the old end-of-file mark; anything after it is unread text.
    dropped_ = end != std::string_view::npos && end + 1 < bytes.size();
  }

  // The next playlist or movie line, skipping blank, overlong and pre-header lines.
  bool Next(FileEntry& entry) {
    std::string_view text;
    while (NextLine(text)) {
      if (text.empty()) continue;
      if (text.size() + 1 > lineLimit_) {
        dropped_ = true;
        continue;
      }
      if (!headerSeen_) {
        // A header without its line end can only be the last line, so nothing would follow it anyway.
        headerSeen_ = text == kHeader;
        dropped_ = dropped_ || !headerSeen_;
        continue;
      }
      Classify(text, entry);
      return true;
    }
    return false;
  }

  bool Dropped() const { return dropped_; }

 private:
  // The next line without its line end; CR LF and a bare LF both end a line, a lone CR is text.
  bool NextLine(std::string_view& text) {
    if (rest_.empty()) return false;
    const size_t lf = rest_.find('\n');
    const bool ended = lf != std::string_view::npos;
    text = rest_.substr(0, lf);
    rest_.remove_prefix(ended ? lf + 1 : rest_.size());
    if (ended && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    return true;
  }

  void Classify(std::string_view text, FileEntry& entry) {
    const size_t bel = text.find(kBel);
    entry.isPlaylist = bel != std::string_view::npos;
    if (!entry.isPlaylist) {
      NoteMark(text.front());
      entry.marked = text.front() == kNowPlayingMark;
      entry.text = text.substr(1);
      return;
    }
    // Text before the first BEL is ignored; the mark follows it. Extra BELs before the name are skipped, and
    // a name without its closing BEL runs to the end of the line; text after the closing BEL is ignored.
    dropped_ = dropped_ || bel > 0;
    std::string_view afterBel = text.substr(bel + 1);
    if (!afterBel.empty() && afterBel.front() != kBel) NoteMark(afterBel.front());
    entry.marked = !afterBel.empty() && afterBel.front() == kNowPlayingMark;
    std::string_view name = afterBel.substr(afterBel.empty() ? 0 : 1);
    name.remove_prefix(std::min(name.find_first_not_of(kBel), name.size()));
    const size_t close = name.find(kBel);
    dropped_ = dropped_ || (close != std::string_view::npos && close + 1 < name.size());
    entry.text = name.substr(0, close);
  }

  // Any mark but the two the writer uses is most likely the first letter of a hand-written line.
  void NoteMark(char mark) { dropped_ = dropped_ || (mark != kNowPlayingMark && mark != kPlainMark); }

  std::string_view rest_;
  size_t lineLimit_;
  bool headerSeen_ = false;
  bool dropped_ = false;
};

std::string StorableText(std::string_view text, size_t limit) {
  std::string stored;
  stored.reserve(std::min(text.size(), limit));
  for (const char c : text) {
    if (stored.size() == limit) break;
    if (c != '\r' && c != '\n' && c != kBel && c != kEndOfText) stored += c;
  }
  return stored;
}

}  // namespace

PlaylistSet ParsePlaylists(std::string_view fileBytes) {
  PlaylistSet set;
  std::vector<Playlist> inFileOrder;
  NowPlaying& now = set.nowPlaying;
  EntryReader reader(fileBytes, kSetupLineLimit);
  for (FileEntry entry; reader.Next(entry);) {
    if (entry.isPlaylist) {
      inFileOrder.push_back(Playlist{std::string(entry.text), {}});
      if (entry.marked) now = {NowPlaying::Kind::Playlist, static_cast<int>(inFileOrder.size()) - 1, -1};
      continue;
    }
    const bool stray = inFileOrder.empty();
    std::vector<MovieEntry>& movies = stray ? set.strayMovies : inFileOrder.back().movies;
    movies.push_back(MovieEntry{std::string(entry.text)});
    if (!entry.marked) continue;
    const int movie = static_cast<int>(movies.size()) - 1;
    now = stray ? NowPlaying{NowPlaying::Kind::StrayMovie, -1, movie}
                : NowPlaying{NowPlaying::Kind::Movie, static_cast<int>(inFileOrder.size()) - 1, movie};
  }

  // Inserting each playlist at its alphabetical place as it is read amounts to a stable sort of the file's
  // order; sorting once keeps a large file fast. The now-playing reference follows its playlist.
  std::vector<size_t> order(inFileOrder.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&inFileOrder](size_t a, size_t b) {
    return ComparePlaylistNames(inFileOrder[a].name, inFileOrder[b].name) < 0;
  });
  set.playlists.reserve(order.size());
  int nowPlayingPlace = -1;
  for (const size_t from : order) {
    if (now.playlist == static_cast<int>(from)) nowPlayingPlace = static_cast<int>(set.playlists.size());
    set.playlists.push_back(std::move(inFileOrder[from]));
  }
  if (now.playlist >= 0) now.playlist = nowPlayingPlace;
  return set;
}

std::vector<std::string> ParseNowPlayingList(std::string_view fileBytes) {
  std::vector<std::string> paths;
  bool inMarkedPlaylist = false;
  EntryReader reader(fileBytes, kPlayerLineLimit);
  for (FileEntry entry; reader.Next(entry);) {
    if (entry.isPlaylist) {
      inMarkedPlaylist = entry.marked;
    } else if (inMarkedPlaylist || entry.marked) {
      paths.emplace_back(entry.text);
    }
  }
  return paths;
}

bool SaveWouldLoseText(std::string_view fileBytes) {
  EntryReader reader(fileBytes, kSetupLineLimit);
  bool inPlaylist = false;
  for (FileEntry entry; reader.Next(entry);) {
    inPlaylist = inPlaylist || entry.isPlaylist;
    // Stray movies are shown but never saved.
    if (!inPlaylist) return true;
    const size_t room = entry.isPlaylist ? kMaxPlaylistName : kMaxMoviePath;
    if (StorableText(entry.text, room) != entry.text) return true;
  }
  return reader.Dropped();
}

std::string StorablePlaylistName(std::string_view name) { return StorableText(name, kMaxPlaylistName); }
std::string StorableMoviePath(std::string_view path) { return StorableText(path, kMaxMoviePath); }

std::string FormatPlaylists(const PlaylistSet& set) {
  using Kind = NowPlaying::Kind;
  const NowPlaying& now = set.nowPlaying;
  std::string file(kHeader);
  file += kLineEnd;
  for (size_t p = 0; p < set.playlists.size(); ++p) {
    const Playlist& playlist = set.playlists[p];
    const bool nowPlayingHere = now.playlist == static_cast<int>(p);
    file += kLineEnd;
    file += kBel;
    file += (nowPlayingHere && now.kind == Kind::Playlist) ? kNowPlayingMark : kPlainMark;
    file += StorablePlaylistName(playlist.name);
    file += kBel;
    file += kLineEnd;
    for (size_t m = 0; m < playlist.movies.size(); ++m) {
      const bool marked = nowPlayingHere && now.kind == Kind::Movie && now.movie == static_cast<int>(m);
      file += marked ? kNowPlayingMark : kPlainMark;
      file += StorableMoviePath(playlist.movies[m].path);
      file += kLineEnd;
    }
  }
  return file;
}

}  // namespace velora
