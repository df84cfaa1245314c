#pragma once
// A small text file read and written whole, the way the playlist file is:
// opened exclusively, retried while another process holds it, and replaced
// only by a complete new file.
#include <optional>
#include <string>
#include <string_view>

namespace velora {

// How long an open or a replace retries while another process holds the file.
constexpr unsigned kLockedRetryMilliseconds = 1000;

// The whole text. A read that fails part way gives nothing, never the part;
// `error` (if given) is then the system's reason, and 0 when there is no file.
std::optional<std::string> ReadWholeFile(const std::string& path, unsigned long* error = nullptr);

// Writes the text to a new file beside `path` and moves it over `path` only
// once it is complete; a read-only file stays as it is. The system's error,
// 0 on success.
unsigned long ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace velora
