// Movies on the screen: where each movie goes for every size and placement,
// the order of the list, the skipping of a file that cannot be played, the
// hint when nothing is chosen, the input that ends the saver and the viewer
// while movies play, and the pointer that never shows over them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "velora_test.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kRed{255, 0, 0};
const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};
// The clips are of pure colours, which the codec keeps; a little room for a
// player that rounds differently.
constexpr int kTolerance = 24;

// The first draws of the saver's random generator, the same in every process.
constexpr int kDraw[] = {41, 18467, 6334, 26500};

const char kHint[] = "Select movies to be played using the configuration dialog.";

std::string Show(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

long Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class PlaybackTest : public VeloraTest {
 protected:
  // One long green movie now playing, centred: (160,120)-(480,360).
  void NowPlayingOneCentredMovie() {
    const std::string green = Clip(kGreen, 10);
    ASSERT_FALSE(green.empty()) << "cannot make a clip";
    ASSERT_NO_FATAL_FAILURE(NowPlaying({green}));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  }

  static RECT Screen() {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }

  // A 320 x 240 clip of one colour.
  static std::string Clip(const Rgb& colour, int seconds) {
    return SolidColourClip(colour, 320, 240, seconds);
  }

  static void WritePlaylists(const std::string& body) {
    ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), "Velora PlayLists\r\n" + body));
  }

  // A playlist file whose one playlist, now playing, holds the paths in order.
  static void NowPlaying(const std::vector<std::string>& paths) {
    std::string body = "\r\n\a>Clips\a\r\n";
    for (const std::string& path : paths) body += " " + path + "\r\n";
    WritePlaylists(body);
  }

  static void SetPlayBack(const std::string& name, DWORD value) {
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPlayBackKey, name, value));
  }

  // Starts a full-screen mode and notes when its window appeared.
  void Open(const std::string& arguments) {
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    window = WaitForWindow(velora.id(), "", "Velora", kStartTimeout);
    shownAt = Clock::now();
    ASSERT_NE(window, nullptr) << "no full-screen window";
  }

  void ExpectEndsWith0(const std::string& after) {
    std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "still running after " << after;
    EXPECT_EQ(*code, 0u);
  }

  // Ends a saver the way its user would.
  void CloseSaver() {
    ClickAt(window, 600, 20);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a click"));
  }

  // Waits until the screen shows the colour over exactly `where` and black
  // everywhere else.
  ::testing::AssertionResult MovieShownAt(const Rgb& colour, const RECT& where,
                                          milliseconds timeout = milliseconds(10000)) {
    const long screenArea = Area(Screen());
    RECT box{};
    int inside = 0, black = 0;
    bool taken = false;
    const bool shown = WaitUntil(
        [&] {
          Screenshot screen = Screenshot::TakeRoot();
          if (screen.empty()) return false;
          taken = true;
          box = screen.BoundingBox(colour, kTolerance);
          inside = screen.Count(where, colour, kTolerance);
          black = screen.Count(Screen(), kBlack, kTolerance);
          return Same(box, where) && inside == Area(where) && black == screenArea - Area(where);
        },
        timeout, milliseconds(50));
    if (shown) return ::testing::AssertionSuccess();
    if (!taken) return ::testing::AssertionFailure() << "no screenshot";
    return ::testing::AssertionFailure()
           << "wanted the colour over " << Show(where) << ", found it over " << Show(box) << " ("
           << inside << " of " << Area(where) << " pixels there); " << screenArea - black
           << " pixels are not black, " << screenArea - Area(where) << " should be";
  }

  HWND window = nullptr;
  Clock::time_point shownAt;
};

// ---------------------------------------------------------------- placement

TEST_F(PlaybackTest, CentredMovieHasItsOwnHalfOrDoubleSizeOnEightPixelBounds) {
  ASSERT_NO_FATAL_FAILURE(NowPlayingOneCentredMovie());
  MoveMouseTo(600, 20);

  struct Case {
    DWORD zoom;
    RECT where;
  };
  // Half size would be centred at y 180: the top is lowered to 176.
  const Case cases[] = {
      {1, RECT{160, 120, 480, 360}},
      {0, RECT{240, 176, 400, 296}},
      {2, RECT{0, 0, 640, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("Zoom " + std::to_string(c.zoom));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Zoom", c.zoom));
    ASSERT_NO_FATAL_FAILURE(Open("/s"));
    EXPECT_TRUE(MovieShownAt(kGreen, c.where));
    ASSERT_NO_FATAL_FAILURE(CloseSaver());
  }
}

// At random places, which every run draws alike: the first movie with the
// first two draws, each following movie with the next two.
TEST_F(PlaybackTest, MoviesFollowTheListOrderEachPlacedAnewAndWrapToTheFirst) {
  const std::string green = Clip(kGreen, 2), blue = Clip(kBlue, 2);
  ASSERT_FALSE(green.empty() || blue.empty()) << "cannot make the clips";
  ASSERT_NO_FATAL_FAILURE(NowPlaying({green, blue}));
  MoveMouseTo(20, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));

  // 41 % 320 = 41 -> 40, 18467 % 240 = 227 -> 224.
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{40, 224, 360, 464}));
  const Clock::time_point greenSeen = Clock::now();
  // 6334 % 320 = 254 -> 248, 26500 % 240 = 100 -> 96; the green area is black again.
  ASSERT_TRUE(MovieShownAt(kBlue, RECT{248, 96, 568, 336}));
  // The green movie lasts 2 s; screenshots are late by a fraction of that.
  EXPECT_GE(SecondsSince(greenSeen), 0.8) << "the second movie came before the first ended";
  // 19169 % 320 = 289 -> 288, 15724 % 240 = 124 -> 120.
  EXPECT_TRUE(MovieShownAt(kGreen, RECT{288, 120, 608, 360}));
  ASSERT_NO_FATAL_FAILURE(CloseSaver());
}

TEST_F(PlaybackTest, AFileThatCannotBePlayedIsSkippedAfterFiveSeconds) {
  const std::string green = Clip(kGreen, 10);
  ASSERT_FALSE(green.empty()) << "cannot make a clip";
  const std::string missing = WindowsPathFromLinux(ScratchDirLinux() + "/e2e-clips/missing.avi");
  ASSERT_FALSE(FileExists(missing));
  ASSERT_NO_FATAL_FAILURE(NowPlaying({missing, green}));
  MoveMouseTo(600, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));

  // Meanwhile the screen is plain black: there are movies, so no hint.
  EXPECT_TRUE(WaitUntil([&] { return Screenshot::TakeRoot().Count(Screen(), kBlack) == Area(Screen()); },
                        milliseconds(10000), milliseconds(100)))
      << "not black while waiting";

  // The failed file drew no place, so the green movie takes the first one.
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{40, 224, 360, 464}, milliseconds(15000)));
  const double after = SecondsSince(shownAt);
  EXPECT_GE(after, 4.5) << "the next movie came too soon";
  EXPECT_LE(after, 8.0) << "the next movie came too late";
  ASSERT_NO_FATAL_FAILURE(CloseSaver());
}

// ---------------------------------------------------------------- MP4 and WMV

// The MPEG video device loads its decoders on first use: the first picture
// of a run may take a while.
constexpr milliseconds kFirstMpegPicture{30000};

TEST_F(PlaybackTest, Mp4AndWmvMoviesAreShownExactlyWhereAviMoviesAre) {
  MoveMouseTo(20, 20);
  struct Case {
    const char* type;
    DWORD zoom, center;
    RECT where;
  };
  // Random at half size: 41 % 480 = 41 -> 40, 18467 % 360 = 107 -> 104.
  const Case cases[] = {
      {"mp4", 0, 1, RECT{240, 176, 400, 296}}, {"mp4", 2, 1, RECT{0, 0, 640, 480}},
      {"mp4", 0, 0, RECT{40, 104, 200, 224}},  {"wmv", 0, 1, RECT{240, 176, 400, 296}},
      {"wmv", 2, 1, RECT{0, 0, 640, 480}},     {"wmv", 0, 0, RECT{40, 104, 200, 224}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + ", Zoom " + std::to_string(c.zoom) + ", Center " +
                 std::to_string(c.center));
    const std::string movie = SolidColourMovie(kGreen, 320, 240, 10, c.type);
    ASSERT_FALSE(movie.empty()) << "cannot make the movie";
    ASSERT_NO_FATAL_FAILURE(NowPlaying({movie}));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Zoom", c.zoom));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", c.center));
    ASSERT_NO_FATAL_FAILURE(Open("/s"));
    EXPECT_TRUE(MovieShownAt(kGreen, c.where, kFirstMpegPicture));
    // At double size the click lands on the movie: it must still end the saver.
    ASSERT_NO_FATAL_FAILURE(CloseSaver());
  }
}

// Each MP4 or WMV movie's start may pass the activation to the device's
// window for a moment: the saver stays, and a key still ends it.
TEST_F(PlaybackTest, SaverPlaysAviMp4AndWmvInListOrderAndWraps) {
  const std::string avi = Clip(kGreen, 2);
  const std::string mp4 = SolidColourMovie(kBlue, 320, 240, 2, "mp4");
  const std::string wmv = SolidColourMovie(kRed, 320, 240, 2, "wmv");
  ASSERT_FALSE(avi.empty() || mp4.empty() || wmv.empty()) << "cannot make the movies";
  ASSERT_NO_FATAL_FAILURE(NowPlaying({avi, mp4, wmv}));
  MoveMouseTo(20, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));

  // Random places from the same draws as for AVI movies alone.
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{40, 224, 360, 464}));
  ASSERT_TRUE(MovieShownAt(kBlue, RECT{248, 96, 568, 336}, kFirstMpegPicture));
  ASSERT_TRUE(MovieShownAt(kRed, RECT{288, 120, 608, 360}, kFirstMpegPicture));
  // 11478 % 320 = 278 -> 272, 29358 % 240 = 78 -> 72.
  EXPECT_TRUE(MovieShownAt(kGreen, RECT{272, 72, 592, 312}, kFirstMpegPicture));
  // 26962 % 320 = 82 -> 80, 24464 % 240 = 224.
  ASSERT_TRUE(MovieShownAt(kBlue, RECT{80, 224, 400, 464}, kFirstMpegPicture));
  PressKeys(window, "a");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a letter"));
}

// The MPEG video device cannot play backwards; asked to, Wine's reports the
// movie ended at once and Windows' refuses. The movie plays forwards instead.
TEST_F(PlaybackTest, WithReverseOnAnMp4PlaysForwardsAndStaysOnScreen) {
  const std::string mp4 = SolidColourMovie(kGreen, 320, 240, 10, "mp4");
  ASSERT_FALSE(mp4.empty()) << "cannot make the movie";
  ASSERT_NO_FATAL_FAILURE(NowPlaying({mp4}));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Reverse", 1));
  MoveMouseTo(600, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/v"));
  const RECT movie{160, 120, 480, 360};
  ASSERT_TRUE(MovieShownAt(kGreen, movie, kFirstMpegPicture));
  // A movie raced through would be closed and opened again, black meanwhile.
  const Clock::time_point seen = Clock::now();
  while (SecondsSince(seen) < 3.0) {
    Screenshot screen = Screenshot::TakeRoot();
    ASSERT_FALSE(screen.empty());
    ASSERT_EQ(screen.Count(movie, kGreen, kTolerance), Area(movie))
        << "the movie left the screen after " << SecondsSince(seen) << " s";
  }
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));
}

// ---------------------------------------------------------------- no movies

// The hint of the given run of draws: where its text cell starts.
RECT HintCell(int drawX, int drawY) {
  HDC dc = GetDC(nullptr);  // a fresh context has the default font, as the saver's has
  SIZE text{};
  GetTextExtentPointA(dc, kHint, static_cast<int>(sizeof kHint - 1), &text);
  ReleaseDC(nullptr, dc);
  const int x = drawX % (GetSystemMetrics(SM_CXSCREEN) - text.cx);
  const int y = drawY % (GetSystemMetrics(SM_CYSCREEN) - text.cy);
  return RECT{x, y, x + text.cx, y + text.cy};
}

TEST_F(PlaybackTest, HintIsRedOnBlackWhenNothingIsNowPlayingAndMovesEveryFiveSeconds) {
  const std::string green = Clip(kGreen, 10);
  ASSERT_FALSE(green.empty()) << "cannot make a clip";

  // The now-playing playlist is empty; the movie of the other one is not played.
  ASSERT_NO_FATAL_FAILURE(WritePlaylists("\r\n\a>Empty\a\r\n\r\n\a Other\a\r\n " + green + "\r\n"));
  MoveMouseTo(600, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/v"));

  const long pixels = Area(Screen());
  RECT first{};
  Screenshot screen;
  ASSERT_TRUE(WaitUntil(
      [&] {
        screen = Screenshot::TakeRoot();
        first = screen.BoundingBox(kRed);
        return first.right > 0;
      },
      milliseconds(5000), milliseconds(100)))
      << "no red hint";
  EXPECT_EQ(screen.Count(Screen(), kRed) + screen.Count(Screen(), kBlack), pixels)
      << "not only red on black";
  EXPECT_TRUE(Inside(first, HintCell(kDraw[0], kDraw[1])))
      << "hint at " << Show(first) << ", not in its first place " << Show(HintCell(kDraw[0], kDraw[1]));

  RECT second{};
  ASSERT_TRUE(WaitUntil(
      [&] {
        screen = Screenshot::TakeRoot();
        second = screen.BoundingBox(kRed);
        return second.right > 0 && !Same(second, first);
      },
      milliseconds(15000), milliseconds(100)))
      << "the hint stayed at " << Show(first);
  const double after = SecondsSince(shownAt);
  EXPECT_GE(after, 4.0) << "the hint moved too soon";
  EXPECT_TRUE(Inside(second, HintCell(kDraw[2], kDraw[3])))
      << "hint at " << Show(second) << ", not in its second place "
      << Show(HintCell(kDraw[2], kDraw[3]));
  EXPECT_EQ(screen.Count(Screen(), kRed) + screen.Count(Screen(), kBlack), pixels)
      << "not only red on black after the move";
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));

  // Movies, but none of them marked: the hint too.
  ASSERT_NO_FATAL_FAILURE(WritePlaylists("\r\n\a Clips\a\r\n " + green + "\r\n"));
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        screen = Screenshot::TakeRoot();
        return screen.Count(Screen(), kRed) > 20 &&
               screen.Count(Screen(), kRed) + screen.Count(Screen(), kBlack) == pixels;
      },
      milliseconds(5000), milliseconds(100)))
      << "no red hint on black without a marked line";
  ASSERT_NO_FATAL_FAILURE(CloseSaver());
}

// ---------------------------------------------------------------- input

TEST_F(PlaybackTest, SaverEndsOnEscapeAndOnAlt) {
  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));

  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  PressKeys(window, "Alt_L");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Alt"));
}

TEST_F(PlaybackTest, SaverEndsOnALeftAndOnARightClickWhileAMoviePlays) {
  ASSERT_NO_FATAL_FAILURE(NowPlayingOneCentredMovie());

  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  ClickAt(window, 320, 240, 1);  // on the movie
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a left click"));

  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  ClickAt(window, 320, 240, 3);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a right click"));
}

TEST_F(PlaybackTest, SaverEndsWhenAnotherWindowBecomesActive) {
  HostWindow other(20, 20, 100, 80);
  ASSERT_NE(other.hwnd(), nullptr);
  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, milliseconds(5000)))
      << "the saver never became the active window";
  EXPECT_FALSE(velora.WaitForExit(milliseconds(500)).has_value()) << "ended by itself";

  SetForegroundWindow(other.hwnd());
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("another window became active"));
}

TEST_F(PlaybackTest, ViewerKeepsPlayingThroughClicksMovesAndLettersAndEndsOnEscape) {
  ASSERT_NO_FATAL_FAILURE(NowPlayingOneCentredMovie());
  const RECT movie{160, 120, 480, 360};

  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/v"));
  ASSERT_TRUE(MovieShownAt(kGreen, movie));
  ClickAt(window, 320, 240, 1);
  ClickAt(window, 600, 400, 3);
  MoveMouseBy(window, -30, 20);
  PressKeys(window, "q");
  EXPECT_FALSE(velora.WaitForExit(milliseconds(500)).has_value())
      << "the viewer ended on a click, a move or a letter";
  EXPECT_TRUE(MovieShownAt(kGreen, movie, milliseconds(2000))) << "the movie is gone";
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));
}

// Keys while a movie plays, with no click before them: the movie device shows
// the window while it is created, and the window must still become the
// active one so that the keyboard reaches it.
TEST_F(PlaybackTest, SaverEndsOnALetterAndViewerOnEscapeWhileAMoviePlays) {
  ASSERT_NO_FATAL_FAILURE(NowPlayingOneCentredMovie());

  MoveMouseTo(320, 240);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  EXPECT_EQ(ActiveOfThreadOf(window), window) << "the saver is not the active window";
  PressKeys(window, "a");
  EXPECT_TRUE(velora.WaitForExit(milliseconds(3000)).has_value()) << "the saver stayed after a letter";
  velora = Process();

  ASSERT_NO_FATAL_FAILURE(Open("/v"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  EXPECT_EQ(ActiveOfThreadOf(window), window) << "the viewer is not the active window";
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));
}

// ---------------------------------------------------------------- pointer

// How many pixels the pointer changes around where it is.
int PointerPixels(int x, int y) {
  Screenshot with = Screenshot::TakeRootWithPointer();
  Screenshot without = Screenshot::TakeRoot();
  if (with.empty() || without.empty()) return -1;
  return with.CountDifferences(without, RECT{x - 40, y - 40, x + 40, y + 40});
}

TEST_F(PlaybackTest, PointerIsInvisibleOverTheSaverAndTheViewer) {
  ASSERT_NO_FATAL_FAILURE(NowPlayingOneCentredMovie());

  // Without velora the pointer shows: the comparison can see one.
  MoveMouseTo(600, 40);
  EXPECT_TRUE(WaitUntil([] { return PointerPixels(600, 40) > 0; }, milliseconds(3000),
                        milliseconds(100)))
      << "no pointer seen on the bare screen";

  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  EXPECT_EQ(PointerPixels(600, 40), 0) << "pointer seen over the saver";
  ASSERT_NO_FATAL_FAILURE(CloseSaver());

  MoveMouseTo(600, 40);
  ASSERT_NO_FATAL_FAILURE(Open("/v"));
  ASSERT_TRUE(MovieShownAt(kGreen, RECT{160, 120, 480, 360}));
  // The viewer stays through moves: look over the black and over the movie.
  MoveMouseTo(window, 590, 50);
  ASSERT_TRUE(WaitForPointerAt(590, 50));
  velora.WaitForInputIdle(kStartTimeout);  // the viewer has set its cursor
  EXPECT_EQ(PointerPixels(590, 50), 0) << "pointer seen over the viewer";
  MoveMouseTo(window, 320, 240);
  ASSERT_TRUE(WaitForPointerAt(320, 240));
  velora.WaitForInputIdle(kStartTimeout);  // the viewer has set its cursor
  EXPECT_EQ(PointerPixels(320, 240), 0) << "pointer seen over the viewer's movie";
  PressKeys(window, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("Escape"));
}

// ---------------------------------------------------------------- Media Foundation

// These also run on a bench whose MCI has no MPEG video device
// (VELORA_BENCH_NO_MPEG_VIDEO set), as on a stock Windows: there only Media
// Foundation can play an MP4, and a WMV file cannot be played at all.
bool BenchHasMpegVideoDevice() { return std::getenv("VELORA_BENCH_NO_MPEG_VIDEO") == nullptr; }

const Rgb kYellow{255, 255, 0};

// Which way the movie on screen plays: Media Foundation's pictures come in a
// movie window of that caption, an MCI device's in one without.
bool PlaysThroughMediaFoundation(HWND player) {
  for (HWND child : ChildWindows(player))
    if (TextOf(child) == "Media Foundation") return true;
  return false;
}

TEST_F(PlaybackTest, Mp4ThroughMediaFoundationIsShownExactlyWhereAnAviOfItsSizeIs) {
  const std::string mp4 = SolidColourMovie(kGreen, 320, 240, 10, "mp4");
  ASSERT_FALSE(mp4.empty()) << "cannot make the movie";
  ASSERT_NO_FATAL_FAILURE(NowPlaying({mp4}));
  MoveMouseTo(20, 20);
  struct Case {
    DWORD zoom, center;
    RECT where;
  };
  // The places of the centred and random AVI cases above.
  const Case cases[] = {
      {1, 1, RECT{160, 120, 480, 360}},
      {0, 1, RECT{240, 176, 400, 296}},
      {2, 1, RECT{0, 0, 640, 480}},
      {1, 0, RECT{40, 224, 360, 464}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("Zoom " + std::to_string(c.zoom) + ", Center " + std::to_string(c.center));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Zoom", c.zoom));
    ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", c.center));
    ASSERT_NO_FATAL_FAILURE(Open("/s"));
    EXPECT_TRUE(MovieShownAt(kGreen, c.where, kFirstMpegPicture));
    EXPECT_TRUE(PlaysThroughMediaFoundation(window));
    ASSERT_NO_FATAL_FAILURE(CloseSaver());
  }

  // Right side up: green above, blue below, at its own size.
  const std::string part = ScratchDirLinux() + "/e2e-clips/green-over-blue.mp4";
  ASSERT_EQ(RunLinux("/usr/bin/ffmpeg -nostdin -y -loglevel error -f lavfi -i "
                     "'color=c=0x00ff00:s=320x240:r=5,drawbox=y=120:w=320:h=120:c=0x0000ff:t=fill' "
                     "-c:v libx264 -pix_fmt yuv420p -t 10 '" + part + "'",
                     milliseconds(30000)),
            0);
  ASSERT_NO_FATAL_FAILURE(NowPlaying({WindowsPathFromLinux(part)}));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Zoom", 1));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  const RECT top{160, 120, 480, 232}, bottom{160, 248, 480, 360};
  EXPECT_TRUE(WaitUntil(
      [&] {
        Screenshot screen = Screenshot::TakeRoot();
        return screen.Count(top, kGreen, kTolerance) == Area(top) &&
               screen.Count(bottom, kBlue, kTolerance) == Area(bottom);
      },
      kFirstMpegPicture, milliseconds(50)));
  ASSERT_NO_FATAL_FAILURE(CloseSaver());
}

// Whatever plays when the pointer moves, the saver ends with 0: a large MP4
// just being read and one playing (its decoders busy), a small MP4, one with
// sound (heard where the bench has a sound device), a corrupt one waiting to
// be skipped (where the MPEG video device, which can hang on it under Wine,
// does not try it), and an AVI.
TEST_F(PlaybackTest, SaverEndsWith0OnAMoveWhateverMoviePlays) {
  const std::string avi = Clip(kGreen, 10);
  const std::string small = SolidColourMovie(kBlue, 320, 240, 10, "mp4");
  const std::string large = SolidColourMovie(kYellow, 1920, 1080, 10, "mp4");
  const std::string corrupt = WindowsPathFromLinux(ScratchDirLinux() + "/e2e-clips/corrupt-end.mp4");
  const std::string soundLinux = ScratchDirLinux() + "/e2e-clips/with-sound.mp4";
  ASSERT_EQ(RunLinux("/usr/bin/ffmpeg -nostdin -y -loglevel error -f lavfi -i color=c=0x0000ff:s=320x240:r=15 "
                     "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 10 -c:v libx264 -pix_fmt yuv420p "
                     "-c:a aac '" + soundLinux + "'",
                     milliseconds(30000)),
            0);
  const std::string sound = WindowsPathFromLinux(soundLinux);
  ASSERT_FALSE(avi.empty() || small.empty() || large.empty()) << "cannot make the movies";
  ASSERT_TRUE(WriteFileBytes(corrupt, std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(4000, '\x5a')));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  const struct {
    const char* what;
    const std::string& movie;
    DWORD playing;  // ms
  } cases[] = {
      {"a 1080p MP4 being read", large, 0}, {"a 1080p MP4", large, 2500}, {"a small MP4", small, 1500},
      {"an MP4 with sound", sound, 2500},  {"a corrupt MP4", corrupt, 1500}, {"an AVI", avi, 1500},
  };
  for (const auto& c : cases) {
    if (&c.movie == &corrupt && BenchHasMpegVideoDevice()) continue;
    ASSERT_NO_FATAL_FAILURE(NowPlaying({c.movie}));
    MoveMouseTo(320, 240);
    ASSERT_NO_FATAL_FAILURE(Open("/s"));
    Sleep(c.playing);
    MoveMouseBy(window, 5, 5);
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0(c.what));
  }
}

// Wine's Direct3D for the test's length: "gl" draws through OpenGL, where a
// device can be made; the bench's own "gdi" cannot make one.
class WineDirect3D {
 public:
  explicit WineDirect3D(const char* renderer) { Set(renderer); }
  ~WineDirect3D() { Set("gdi"); }
  WineDirect3D(const WineDirect3D&) = delete;
  WineDirect3D& operator=(const WineDirect3D&) = delete;

 private:
  static void Set(const char* renderer) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(key, "renderer", 0, REG_SZ, reinterpret_cast<const BYTE*>(renderer),
                   static_cast<DWORD>(std::strlen(renderer) + 1));
    RegCloseKey(key);
  }
};

// Where Wine draws through OpenGL, Direct3D makes devices, but Wine's video
// renderer shows no pictures: velora draws a phone's 1080p clip itself,
// fitted to the screen, with the caption that says so, and the saver still
// ends with 0.
TEST_F(PlaybackTest, LargeMp4IsShownInPlaceWhereWineDrawsThroughOpenGl) {
  // White, which the BT.601 of the clip's encoder and the BT.709 of an HD
  // picture read alike.
  const std::string mp4 = SolidColourMovie(kWhite, 1920, 1080, 4, "mp4");
  ASSERT_FALSE(mp4.empty()) << "cannot make the movie";
  ASSERT_NO_FATAL_FAILURE(NowPlaying({mp4}));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("FitToScreen", 1));
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  WineDirect3D openGl("gl");
  MoveMouseTo(20, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  // 640x360, its corner on the 8-pixel grid.
  EXPECT_TRUE(MovieShownAt(kWhite, RECT{0, 56, 640, 416}, kFirstMpegPicture));
  EXPECT_TRUE(PlaysThroughMediaFoundation(window));
  MoveMouseBy(window, 5, 5);
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0("a move"));
}

// AVI, two MP4 files (the end of one starts the next), a corrupt MP4 and a
// WMV, centred, in list order; what cannot be played is skipped after 5 s.
// The corrupt file is left out where the MPEG video device would try it after
// Media Foundation: under Wine that device sometimes never gives up on it.
TEST_F(PlaybackTest, AviMp4CorruptMp4AndWmvPlayInListOrder) {
  const std::string avi = Clip(kGreen, 2);
  const std::string blue = SolidColourMovie(kBlue, 320, 240, 2, "mp4");
  const std::string yellow = SolidColourMovie(kYellow, 320, 240, 2, "mp4");
  const std::string wmv = SolidColourMovie(kRed, 320, 240, 2, "wmv");
  const std::string corrupt = WindowsPathFromLinux(ScratchDirLinux() + "/e2e-clips/corrupt.mp4");
  ASSERT_FALSE(avi.empty() || blue.empty() || yellow.empty() || wmv.empty()) << "cannot make the movies";
  ASSERT_TRUE(WriteFileBytes(corrupt, std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(4000, '\x5a')));
  if (BenchHasMpegVideoDevice()) {
    ASSERT_NO_FATAL_FAILURE(NowPlaying({avi, blue, yellow, wmv}));
  } else {
    ASSERT_NO_FATAL_FAILURE(NowPlaying({avi, blue, yellow, corrupt, wmv}));
  }
  ASSERT_NO_FATAL_FAILURE(SetPlayBack("Center", 1));
  MoveMouseTo(20, 20);
  ASSERT_NO_FATAL_FAILURE(Open("/s"));
  const RECT centre{160, 120, 480, 360};

  ASSERT_TRUE(MovieShownAt(kGreen, centre));
  ASSERT_TRUE(MovieShownAt(kBlue, centre, kFirstMpegPicture));
  EXPECT_TRUE(PlaysThroughMediaFoundation(window));
  const Clock::time_point blueSeen = Clock::now();
  ASSERT_TRUE(MovieShownAt(kYellow, centre));
  EXPECT_GE(SecondsSince(blueSeen), 1.0) << "the second MP4 came before the first ended";
  const Clock::time_point yellowSeen = Clock::now();
  if (BenchHasMpegVideoDevice()) {
    ASSERT_TRUE(MovieShownAt(kRed, centre, kFirstMpegPicture));
    EXPECT_GE(SecondsSince(yellowSeen), 1.0) << "the WMV came before the MP4 ended";
  }
  // Without the device: the yellow movie's 2 s, then 5 s for the corrupt file
  // and 5 s more for the WMV file.
  ASSERT_TRUE(MovieShownAt(kGreen, centre, milliseconds(30000)));
  if (!BenchHasMpegVideoDevice()) {
    EXPECT_GE(SecondsSince(yellowSeen), 10.5) << "a skip was not waited for";
  }
  ASSERT_NO_FATAL_FAILURE(CloseSaver());
}

}  // namespace
}  // namespace e2e
