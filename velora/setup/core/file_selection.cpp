#include "velora/setup/core/file_selection.h"

namespace velora {

namespace {

std::string_view ZeroEnded(std::string_view buffer, size_t at) {
  if (at >= buffer.size()) return {};
  size_t end = buffer.find('\0', at);
  return buffer.substr(at, end == std::string_view::npos ? buffer.size() - at : end - at);
}

std::vector<std::string> SplitOnBlanks(std::string_view text) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) parts.emplace_back(text.substr(start, i - start));
  }
  return parts;
}

std::vector<std::string> JoinToDirectory(const std::vector<std::string>& parts) {
  if (parts.size() < 2) return parts;
  std::vector<std::string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(parts[0] + "\\" + parts[i]);
  return paths;
}

}  // namespace

std::vector<std::string> SplitFileSelection(std::string_view buffer, bool newShell,
                                            const std::function<bool(const std::string&)>& fileExists) {
  std::string_view first = ZeroEnded(buffer, 0);
  if (first.empty()) return {};
  size_t next = first.size() + 1;
  if (newShell && !ZeroEnded(buffer, next).empty()) {
    std::vector<std::string> parts{std::string(first)};
    for (std::string_view name; !(name = ZeroEnded(buffer, next)).empty(); next += name.size() + 1)
      parts.emplace_back(name);
    return JoinToDirectory(parts);
  }
  const std::string whole(first);
  if (whole.find(' ') == std::string::npos || (newShell && fileExists(whole))) return {whole};
  return JoinToDirectory(SplitOnBlanks(first));
}

}  // namespace velora
