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

// The decimal number after the first lower-case `letter` in the argument text:
// white space skipped, an optional sign, digits up to the first non-digit (no
// digits give 0). Nothing when the letter does not occur. A number too large
// for a handle gives 0, which names no window.
std::optional<std::int64_t> FindHandleAfter(std::string_view argumentText, char letter);

}  // namespace velora
