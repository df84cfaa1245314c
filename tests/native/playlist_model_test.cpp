#include "velora/playlists/core/playlist_model.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(PlaylistModel, NameCollation) {
  EXPECT_EQ(ComparePlaylistNames("Nature", "nATURE"), 0);
  EXPECT_EQ(Sign(ComparePlaylistNames("apple", "Banana")), -1);
  EXPECT_EQ(Sign(ComparePlaylistNames("Zoo", "apple")), 1);
  EXPECT_EQ(Sign(ComparePlaylistNames("Sea", "Seaside")), -1);
  EXPECT_EQ(Sign(ComparePlaylistNames("", "a")), -1);
  EXPECT_EQ(Sign(ComparePlaylistNames("_x", "a")), -1);        // letters fold to lower case
  EXPECT_EQ(Sign(ComparePlaylistNames("\xe9t\xe9", "z")), 1);  // bytes above 127 after ASCII
}

TEST(PlaylistModel, InsertionPlaceAndNowPlaying) {
  PlaylistSet set;
  for (const char* name : {"b", "a", "B", "c", "A"}) InsertPlaylist(set, name);
  std::vector<std::string> names;
  for (const Playlist& p : set.playlists) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "A", "b", "B", "c"}));

  // A renamed playlist stays put; a new one goes before the first name after it.
  set.playlists[0].name = "zz";
  EXPECT_EQ(PlaylistInsertPosition(set.playlists, "b"), 0u);
  EXPECT_EQ(PlaylistInsertPosition(set.playlists, "zzz"), 5u);
  set.playlists[0].name = "a";

  set.nowPlaying = {NowPlaying::Kind::Movie, 3, 0};
  EXPECT_EQ(InsertPlaylist(set, "bb"), 4u);
  EXPECT_EQ(set.nowPlaying, (NowPlaying{NowPlaying::Kind::Movie, 3, 0}));
  EXPECT_EQ(InsertPlaylist(set, "A"), 2u);
  EXPECT_EQ(set.nowPlaying, (NowPlaying{NowPlaying::Kind::Movie, 4, 0}));
  set.nowPlaying = {NowPlaying::Kind::StrayMovie, -1, 2};
  InsertPlaylist(set, "a");
  EXPECT_EQ(set.nowPlaying, (NowPlaying{NowPlaying::Kind::StrayMovie, -1, 2}));
}

}  // namespace
}  // namespace velora
