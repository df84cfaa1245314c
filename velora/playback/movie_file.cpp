#include "velora/playback/movie_file.h"

namespace velora {

std::string_view FileNamePart(std::string_view path) {
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool IsAviFile(std::string_view path) {
  const std::string_view name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(name[dot + 1]) == 'a' && lower(name[dot + 2]) == 'v' && lower(name[dot + 3]) == 'i';
}

bool PlaysBackwards(bool reverseAsked, std::string_view path, const std::function<bool()>& deviceCanReverse) {
  return reverseAsked && (IsAviFile(path) || deviceCanReverse());
}

}  // namespace velora
