#pragma once
// Where the playlist file lives: "velora.ini" in the Windows directory.
#include <optional>
#include <string>
#include <string_view>

namespace velora {

// The path buffers of the file operations hold 260 characters, the zero included.
constexpr size_t kPathBufferSize = 260;

// The file's full path for a Windows directory, or nothing when it would not
// fit the path buffer (the operations then read nothing and write nothing).
std::optional<std::string> PlaylistFilePath(std::string_view windowsDirectory);

}  // namespace velora
