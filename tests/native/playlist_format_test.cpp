#include "velora/playlists/core/playlist_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace velora {
namespace {

using Kind = NowPlaying::Kind;
using Paths = std::vector<std::string>;

// The lines joined, each ended with `end`.
std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end = "\r\n") {
  std::string text;
  for (const std::string_view line : lines) (text += line) += end;
  return text;
}

const std::string kExample = Lines({"Velora PlayLists", "", "\a>Nature\a", " C:\\CLIPS\\FISH.AVI",
                                    " C:\\CLIPS\\BIRDS.AVI", "", "\a Sea\a"});

PlaylistSet ExampleSet() {
  PlaylistSet set;
  set.playlists = {{"Nature", {{"C:\\CLIPS\\FISH.AVI"}, {"C:\\CLIPS\\BIRDS.AVI"}}}, {"Sea", {}}};
  set.nowPlaying = {Kind::Playlist, 0, -1};
  return set;
}

size_t CountMarks(const std::string& file) {
  size_t marks = 0;
  for (size_t i = 0; i < file.size(); ++i) {
    const bool lineStart = i == 0 || file[i - 1] == '\n' || file[i - 1] == '\a';
    if (file[i] == '>' && lineStart) ++marks;
  }
  return marks;
}

TEST(PlaylistFormat, ExampleFileBothWays) {
  EXPECT_EQ(FormatPlaylists(ExampleSet()), kExample);
  EXPECT_EQ(ParsePlaylists(kExample), ExampleSet());
  EXPECT_EQ(ParseNowPlayingList(kExample), (Paths{"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI"}));
}

TEST(PlaylistFormat, HeaderMustMatchExactly) {
  const std::string body = Lines({"\a>A\a", " C:\\A.AVI"});
  for (const std::string& bad : {Lines({"velora playlists"}), Lines({"Velora PlayLists "}),
                                 Lines({" Velora PlayLists"}), Lines({"Velora PlayLists\r"})}) {
    EXPECT_EQ(ParsePlaylists(bad + body), PlaylistSet()) << bad;
    EXPECT_TRUE(ParseNowPlayingList(bad + body).empty()) << bad;
  }
  // A header cut off before its line end is no header.
  EXPECT_EQ(ParsePlaylists(body + "Velora PlayLists"), PlaylistSet());
  // Anything before the header is ignored, playlist-like lines included.
  const std::string late = Lines({"junk", "\a>Early\a", ">C:\\EARLY.AVI", "Velora PlayLists"}) + body;
  EXPECT_EQ(ParseNowPlayingList(late), Paths{"C:\\A.AVI"});
  ASSERT_EQ(ParsePlaylists(late).playlists.size(), 1u);
  EXPECT_EQ(ParsePlaylists(late).playlists[0].name, "A");
}

TEST(PlaylistFormat, AByteOrderMarkBeforeTheHeaderIsPassedOver) {
  const std::string marked = "\xEF\xBB\xBF" + kExample;
  EXPECT_EQ(ParsePlaylists(marked), ExampleSet());
  EXPECT_EQ(ParseNowPlayingList(marked), ParseNowPlayingList(kExample));
  EXPECT_FALSE(SaveWouldLoseText(marked));
  // Only at the very start of the file.
  EXPECT_EQ(ParsePlaylists(Lines({""}) + marked), PlaylistSet());
}

TEST(PlaylistFormat, SaveWouldLoseTextOnlyWhenTheLoadPassedSomethingOver) {
  const std::string header = Lines({"Velora PlayLists"});
  const std::pair<std::string, bool> cases[] = {
      {kExample, false},
      {"", false},
      {Lines({"", "Velora PlayLists", "", "\a>B\a", ">C:\\B.AVI", "\a A\a", "", "\a>C"}, "\n"), false},
      {kExample + "\x1a", false},  // the old end-of-file mark
      {Lines({"Velora PlayList", "\a>A\a", " C:\\A.AVI"}), true},  // no header
      {Lines({"; mine", "Velora PlayLists", "\a>A\a"}), true},
      {header + Lines({"\a A\a", " " + std::string(kSetupLineLimit - 1, 'x')}), true},
      {header + Lines({" C:\\STRAY.AVI", "\a A\a"}), true},
      {header + Lines({"x\a A\a"}), true},
      {header + Lines({"\a A\a after"}), true},
      {header + Lines({"\a A\a", "C:\\NOMARK.AVI"}), true},
      {header + Lines({"\a " + std::string(kMaxPlaylistName + 1, 'n') + "\a"}), true},
      {header + Lines({"\a A\a", " C:\\X\rY.AVI"}), true},
      {kExample + "\x1a more", true},
  };
  for (const auto& [file, loses] : cases) EXPECT_EQ(SaveWouldLoseText(file), loses) << file;
}

TEST(PlaylistFormat, LineEndsAndBlankLines) {
  const std::string lf = Lines({"", "Velora PlayLists", "", "", "\a>Nature\a", "", " C:\\CLIPS\\FISH.AVI",
                                " C:\\CLIPS\\BIRDS.AVI", "", "\a Sea\a", "", ""}, "\n");
  EXPECT_EQ(ParsePlaylists(lf), ExampleSet());
  EXPECT_EQ(ParseNowPlayingList(lf), ParseNowPlayingList(kExample));
  // A last line without a line end is still read; a CR not before LF belongs to the path.
  const PlaylistSet set = ParsePlaylists(Lines({"Velora PlayLists", "\a A\a", " C:\\X\rY.AVI"}) + ">C:\\Z");
  ASSERT_EQ(set.playlists.size(), 1u);
  EXPECT_EQ(set.playlists[0].movies, (std::vector<MovieEntry>{{"C:\\X\rY.AVI"}, {"C:\\Z"}}));
  EXPECT_EQ(set.nowPlaying, (NowPlaying{Kind::Movie, 0, 1}));
  EXPECT_EQ(ParsePlaylists(Lines({"Velora PlayLists"}) + "\a>Last").playlists[0].name, "Last");
}

TEST(PlaylistFormat, CtrlZEndsTheText) {
  const std::string file = Lines({"Velora PlayLists", "\a>A\a", " C:\\1.AVI"}) + " C:\\2\x1a.AVI\r\n C:\\3.AVI";
  EXPECT_EQ(ParseNowPlayingList(file), (Paths{"C:\\1.AVI", "C:\\2"}));
  EXPECT_EQ(ParsePlaylists(file).playlists[0].movies.size(), 2u);
}

TEST(PlaylistFormat, PlaylistLineVariants) {
  const std::string file = Lines({"Velora PlayLists", "text\a Before\a", "\a NoClose", "\a \a\a\aBells\atail",
                                  "\a \a", "\a"});
  const PlaylistSet set = ParsePlaylists(file);
  std::vector<std::string> names;
  for (const Playlist& p : set.playlists) names.push_back(p.name);
  // Sorted: the two empty names (one from a BEL with no mark at all) first, in file order.
  EXPECT_EQ(names, (std::vector<std::string>{"", "", "Before", "Bells", "NoClose"}));
  EXPECT_EQ(set.nowPlaying, NowPlaying());
  EXPECT_EQ(ParsePlaylists(Lines({"Velora PlayLists", "x\a>Marked"})).nowPlaying,
            (NowPlaying{Kind::Playlist, 0, -1}));
}

TEST(PlaylistFormat, StrayMoviesAreShownPlayedIfMarkedAndNeverSaved) {
  const std::string file = Lines({"Velora PlayLists", " C:\\S1.AVI", ">C:\\S2.AVI", "\a B\a", " C:\\B.AVI"});
  const PlaylistSet set = ParsePlaylists(file);
  EXPECT_EQ(set.strayMovies, (std::vector<MovieEntry>{{"C:\\S1.AVI"}, {"C:\\S2.AVI"}}));
  EXPECT_EQ(set.nowPlaying, (NowPlaying{Kind::StrayMovie, -1, 1}));
  EXPECT_EQ(ParseNowPlayingList(file), Paths{"C:\\S2.AVI"});
  EXPECT_EQ(FormatPlaylists(set), Lines({"Velora PlayLists", "", "\a B\a", " C:\\B.AVI"}));
}

TEST(PlaylistFormat, SeveralMarkedLines) {
  const std::string file = Lines({"Velora PlayLists", "\a>B\a", " C:\\B1.AVI", ">C:\\B2.AVI", "\a A\a",
                                  " C:\\A1.AVI", ">C:\\A2.AVI", "\a>C\a", " C:\\C1.AVI", "\a>D\a"});
  // The player takes both marked playlists and the marked movie, each movie once, in file order.
  EXPECT_EQ(ParseNowPlayingList(file), (Paths{"C:\\B1.AVI", "C:\\B2.AVI", "C:\\A2.AVI", "C:\\C1.AVI"}));
  // The setup side keeps the last marked line, an empty playlist; the player gets nothing from it.
  const PlaylistSet set = ParsePlaylists(file);
  EXPECT_EQ(set.nowPlaying, (NowPlaying{Kind::Playlist, 3, -1}));
  const std::string saved = FormatPlaylists(set);
  EXPECT_EQ(CountMarks(saved), 1u);
  EXPECT_NE(saved.find("\a>D\a"), std::string::npos);
  EXPECT_TRUE(ParseNowPlayingList(saved).empty());
}

TEST(PlaylistFormat, PlaylistsSortedMoviesKeepOrder) {
  const std::string file = Lines({"Velora PlayLists", "\a sea\a", " C:\\2.AVI", " C:\\1.AVI", "\a Nature\a",
                                  "\a>Sea\a", " C:\\3.AVI", "\a apple\a"});
  const PlaylistSet set = ParsePlaylists(file);
  ASSERT_EQ(set.playlists.size(), 4u);
  EXPECT_EQ(set.playlists[0].name, "apple");
  EXPECT_EQ(set.playlists[1].name, "Nature");
  EXPECT_EQ(set.playlists[2], (Playlist{"sea", {{"C:\\2.AVI"}, {"C:\\1.AVI"}}}));
  EXPECT_EQ(set.playlists[3], (Playlist{"Sea", {{"C:\\3.AVI"}}}));
  EXPECT_EQ(set.nowPlaying, (NowPlaying{Kind::Playlist, 3, -1}));

  // Many names equal but for case keep their file order among themselves.
  std::string many = Lines({"Velora PlayLists"});
  for (int i = 0; i < 100; ++i) {
    const char* name = i % 3 == 0 ? "\a z\a" : i % 3 == 1 ? "\a same\a" : "\a SAME\a";
    many += Lines({name, " " + std::to_string(i)});
  }
  int last = -1;
  for (const Playlist& p : ParsePlaylists(many).playlists) {
    if (p.name == "z") break;
    EXPECT_LT(last, std::stoi(p.movies[0].path));
    last = std::stoi(p.movies[0].path);
  }
}

TEST(PlaylistFormat, MarkFollowsItsPlaylistInEveryOrder) {
  // Each order of four names, with each playlist (or its movie) marked in turn.
  std::vector<std::string> names{"apple", "Banana", "cherry", "Date"};
  std::sort(names.begin(), names.end());
  do {
    for (size_t marked = 0; marked < names.size(); ++marked) {
      for (bool movie : {false, true}) {
        std::string file = Lines({"Velora PlayLists"});
        for (size_t i = 0; i < names.size(); ++i) {
          const bool here = i == marked;
          file += Lines({"\a" + std::string(here && !movie ? ">" : " ") + names[i] + "\a",
                         std::string(here && movie ? ">" : " ") + names[i] + ".AVI"});
        }
        const PlaylistSet set = ParsePlaylists(file);
        ASSERT_GE(set.nowPlaying.playlist, 0);
        EXPECT_EQ(set.playlists[static_cast<size_t>(set.nowPlaying.playlist)].name, names[marked]) << file;
        EXPECT_EQ(set.nowPlaying.kind, movie ? Kind::Movie : Kind::Playlist);
        EXPECT_EQ(FormatPlaylists(set).find(">" + names[marked]) != std::string::npos, true);
      }
    }
  } while (std::next_permutation(names.begin(), names.end()));
}

TEST(PlaylistFormat, OverlongLinesAreSkippedWhole) {
  // Mark, path and line end: exactly each reader's limit (CR LF counts as one), then one character more.
  const std::string setupFits(kSetupLineLimit - 2, 'x');
  const std::string playerFits(kPlayerLineLimit - 2, 'y');
  const std::string file = Lines({"Velora PlayLists", "\a>List\a", " " + setupFits, " " + setupFits + "+",
                                  " " + playerFits, " " + playerFits + "+"});
  const PlaylistSet set = ParsePlaylists(file);
  ASSERT_EQ(set.playlists.size(), 1u);
  EXPECT_EQ(set.playlists[0].movies, std::vector<MovieEntry>{{setupFits}});
  EXPECT_EQ(ParseNowPlayingList(file), (Paths{setupFits, setupFits + "+", playerFits}));
}

TEST(PlaylistFormat, WriterKeepsLinesIntact) {
  PlaylistSet set;
  set.playlists = {{"a\r\n\a\x1a" "b", {{"C:\\\a\rX\n.AVI"}}}, {std::string(300, 'n'), {{std::string(300, 'p')}}}};
  set.nowPlaying = {Kind::Movie, 1, 0};
  const std::string file = FormatPlaylists(set);
  const PlaylistSet back = ParsePlaylists(file);
  ASSERT_EQ(back.playlists.size(), 2u);
  EXPECT_EQ(back.playlists[0], (Playlist{"ab", {{"C:\\X.AVI"}}}));
  EXPECT_EQ(back.playlists[1], (Playlist{std::string(kMaxPlaylistName, 'n'), {{std::string(kMaxMoviePath, 'p')}}}));
  EXPECT_EQ(ParseNowPlayingList(file), Paths{std::string(kMaxMoviePath, 'p')});
}

TEST(PlaylistFormat, NowPlayingMarksAtMostOneLine) {
  PlaylistSet set = ExampleSet();
  const std::vector<std::pair<NowPlaying, size_t>> cases = {
      {{Kind::Movie, 0, 1}, 1}, {{Kind::Playlist, 1, -1}, 1}, {{Kind::None, 0, 0}, 0},
      {{Kind::StrayMovie, -1, 0}, 0}, {{Kind::Playlist, 2, -1}, 0}, {{Kind::Movie, 0, 2}, 0},
      {{Kind::Movie, -1, 0}, 0}, {{Kind::Playlist, -1, -1}, 0}};
  for (const auto& [now, marks] : cases) {
    set.nowPlaying = now;
    const std::string file = FormatPlaylists(set);
    EXPECT_EQ(CountMarks(file), marks) << static_cast<int>(now.kind) << " " << now.playlist << " " << now.movie;
    if (marks == 1) {
      EXPECT_EQ(ParsePlaylists(file).nowPlaying, now);
    }
  }
  set.nowPlaying = {Kind::Movie, 0, 1};
  EXPECT_EQ(ParseNowPlayingList(FormatPlaylists(set)), Paths{"C:\\CLIPS\\BIRDS.AVI"});
}

TEST(PlaylistFormat, EmptyModelAndEmptyNamesRoundTrip) {
  EXPECT_EQ(FormatPlaylists(PlaylistSet()), Lines({"Velora PlayLists"}));
  PlaylistSet set;
  set.playlists = {{"", {{""}}}, {" Lead", {{"C:\\A.AVI"}}}};
  set.nowPlaying = {Kind::Playlist, 0, -1};
  EXPECT_EQ(ParsePlaylists(FormatPlaylists(set)), set);
}

TEST(PlaylistFormat, LargeFileRoundTrips) {
  PlaylistSet set;
  for (int i = 0; i < 10000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "List %05d", i);
    set.playlists.push_back({name, {{std::string("C:\\") + name + "\\1.AVI"}, {"C:\\2.AVI"}, {"C:\\3.AVI"}}});
  }
  set.nowPlaying = {Kind::Movie, 9876, 2};
  PlaylistSet reversed = set;
  std::reverse(reversed.playlists.begin(), reversed.playlists.end());
  reversed.nowPlaying.playlist = 10000 - 1 - 9876;

  const PlaylistSet back = ParsePlaylists(FormatPlaylists(reversed));
  EXPECT_EQ(back, set);
  EXPECT_EQ(ParsePlaylists(FormatPlaylists(back)), set);
  EXPECT_EQ(ParseNowPlayingList(FormatPlaylists(back)), Paths{"C:\\3.AVI"});
}

}  // namespace
}  // namespace velora
