// Any bytes as velora.ini: both readers, then the writer and the setup side's
// reader again. What the setup side saves must read back as it was saved, and
// when the loss check finds nothing to lose, the save must keep every
// playlist, movie and the now-playing item.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "velora/playlists/core/playlist_format.h"

using namespace velora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ParseNowPlayingList(bytes);
  const PlaylistSet loaded = ParsePlaylists(bytes);
  const std::string saved = FormatPlaylists(loaded);
  const PlaylistSet reloaded = ParsePlaylists(saved);

  // The writer's output never needs a backup. Once names are as the writer
  // stores them (a lone CR in a name is dropped, which may move the playlist
  // in the alphabetical order), load and save change nothing.
  FUZZ_CHECK(!SaveWouldLoseText(saved));
  FUZZ_CHECK(reloaded.strayMovies.empty());
  const std::string savedAgain = FormatPlaylists(reloaded);
  FUZZ_CHECK(FormatPlaylists(ParsePlaylists(savedAgain)) == savedAgain);

  if (!SaveWouldLoseText(bytes)) {
    FUZZ_CHECK(reloaded.playlists == loaded.playlists);
    FUZZ_CHECK(reloaded.nowPlaying == loaded.nowPlaying);
  }
  return 0;
}
