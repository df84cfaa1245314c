// The playlist file ("velora.ini" in the Windows directory) as bytes: its two readers and its writer. Opening,
// locking and writing the file are the caller's business; these functions only see its contents.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "velora/playlists/core/playlist_model.h"

namespace velora {

// Longest name and path a line of the file can hold.
inline constexpr size_t kMaxPlaylistName = 250, kMaxMoviePath = 253;
// Characters per line each reader takes whole, its line end (one LF after CR LF folding) included. A longer
// line is skipped.
inline constexpr size_t kSetupLineLimit = 255, kPlayerLineLimit = 259;

// Setup side: the whole file in, the model out. Playlists land at their alphabetical place as they are read,
// movies in file order; movies before the first playlist are held as stray movies; the last marked line
// decides what is now playing. A file without its header line gives an empty set. A UTF-8 byte-order mark
// at the start of the file is passed over (both readers).
PlaylistSet ParsePlaylists(std::string_view fileBytes);

// Player side: in file order, the path of every movie under a marked playlist or itself marked, once each.
std::vector<std::string> ParseNowPlayingList(std::string_view fileBytes);

// The file for the model, byte for byte. Stray movies are not saved; at most one line carries the now-playing
// mark. Names and paths go through the two functions below.
std::string FormatPlaylists(const PlaylistSet& set);

// Whether loading these bytes into the model and saving it again would lose anything written in them: lines
// before the header or without any header, overlong lines, stray movies, text around a playlist line's BELs,
// marks other than the writer's, names and paths the writer would cut, text after a Ctrl-Z. Marks moving to
// the last marked line and playlists moving to their alphabetical place do not count.
bool SaveWouldLoseText(std::string_view fileBytes);

// A name or path as the file stores it: without the bytes that would break the line (CR, LF, BEL, Ctrl-Z),
// cut to the line's room. The setup dialog can use these to show what will be saved.
std::string StorablePlaylistName(std::string_view name);
std::string StorableMoviePath(std::string_view path);

}  // namespace velora
