// The playlist model under a run of the setup dialog's edits: playlists added
// at their alphabetical place, movies appended, the now-playing item chosen.
// The order stays alphabetical, the now-playing reference keeps naming the
// same item, and the file written from the model reads back as the model.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "velora/playlists/core/playlist_format.h"

using namespace velora;

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

const Playlist* NowPlayingPlaylist(const PlaylistSet& set) {
  const NowPlaying& now = set.nowPlaying;
  if (now.kind != NowPlaying::Kind::Playlist && now.kind != NowPlaying::Kind::Movie) return nullptr;
  return &set.playlists[size_t(now.playlist)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  PlaylistSet set;
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
      case 0: {
        const std::string name = StorablePlaylistName(in.ConsumeRandomLengthString(300));
        const Playlist* before = NowPlayingPlaylist(set);
        const Playlist remembered = before ? *before : Playlist{};
        const size_t at = InsertPlaylist(set, name);
        FUZZ_CHECK(set.playlists[at].name == name && set.playlists[at].movies.empty());
        if (before) FUZZ_CHECK(*NowPlayingPlaylist(set) == remembered);
        break;
      }
      case 1:
        if (!set.playlists.empty()) {
          Playlist& p = set.playlists[in.ConsumeIntegralInRange<size_t>(0, set.playlists.size() - 1)];
          p.movies.push_back({StorableMoviePath(in.ConsumeRandomLengthString(300))});
        }
        break;
      default:
        if (!set.playlists.empty()) {
          const int p = in.ConsumeIntegralInRange<int>(0, int(set.playlists.size()) - 1);
          const int movies = int(set.playlists[size_t(p)].movies.size());
          if (movies > 0 && in.ConsumeBool())
            set.nowPlaying = {NowPlaying::Kind::Movie, p, in.ConsumeIntegralInRange(0, movies - 1)};
          else
            set.nowPlaying = {NowPlaying::Kind::Playlist, p, -1};
        }
        break;
    }
  }
  for (size_t i = 0; i + 1 < set.playlists.size(); ++i) {
    const std::string& a = set.playlists[i].name;
    const std::string& b = set.playlists[i + 1].name;
    FUZZ_CHECK(ComparePlaylistNames(a, b) <= 0);
    FUZZ_CHECK(Sign(ComparePlaylistNames(a, b)) == -Sign(ComparePlaylistNames(b, a)));
  }
  const std::string file = FormatPlaylists(set);
  FUZZ_CHECK(!SaveWouldLoseText(file));
  FUZZ_CHECK(ParsePlaylists(file) == set);
  return 0;
}
