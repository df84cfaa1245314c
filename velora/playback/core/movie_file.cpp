#include "velora/playback/core/movie_file.h"

namespace velora {

std::string_view FileNamePart(std::string_view path) {
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

namespace {

// Whether the file name ends in "." and the given lower-case extension, in any letter case.
bool HasExtension(std::string_view path, std::string_view extension) {
  const std::string_view name = FileNamePart(path);
  if (name.size() <= extension.size() || name[name.size() - extension.size() - 1] != '.') return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const std::string_view end = name.substr(name.size() - extension.size());
  for (size_t i = 0; i < end.size(); ++i)
    if (lower(end[i]) != extension[i]) return false;
  return true;
}

}  // namespace

bool IsAviFile(std::string_view path) { return HasExtension(path, "avi"); }

bool IsMediaFoundationFile(std::string_view path) {
  return HasExtension(path, "mp4") || HasExtension(path, "m4v") || HasExtension(path, "mov");
}

bool PlaysBackwards(bool reverseAsked, std::string_view path, const std::function<bool()>& deviceCanReverse) {
  return reverseAsked && (IsAviFile(path) || deviceCanReverse());
}

}  // namespace velora
