#pragma once
// How velora reads its command line: the mode letter of the first argument and
// the window handle that follows the letter of the preview and password modes.
#include <cstdint>
#include <optional>
#include <string_view>

namespace velora {

enum class SaverMode { None, Configure, Saver, Viewer, Preview, ChangePassword };

// The mode the first argument selects: after one optional leading "-" or "/",
// the whole rest must be one of the letters c, s, v, p, a, in any case.
SaverMode MatchMode(std::string_view firstArgument);

// The window handle after the first lower-case `letter` in the argument text,
// as a handle of `handleBits` bits (32 or 64, the program's own by default):
// white space skipped, an optional sign, decimal digits up to the first
// non-digit (no digits give 0); a negative number wraps around as a handle
// does. Nothing when the letter does not occur. A number too large for a
// handle gives 0, which names no window.
std::optional<std::uint64_t> FindHandleAfter(std::string_view argumentText, char letter,
                                             int handleBits = 8 * sizeof(void*));

}  // namespace velora
