#include "velora/shell/core/command_line.h"

#include <cctype>
#include <limits>

namespace velora {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool EqualsLetterIgnoringCase(std::string_view text, char letter) {
  return text.size() == 1 &&
         std::tolower(static_cast<unsigned char>(text[0])) == std::tolower(static_cast<unsigned char>(letter));
}

}  // namespace

SaverMode MatchMode(std::string_view arg) {
  if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) arg.remove_prefix(1);
  static const struct {
    char letter;
    SaverMode mode;
  } kModes[] = {{'c', SaverMode::Configure},
                {'s', SaverMode::Saver},
                {'v', SaverMode::Viewer},
                {'p', SaverMode::Preview},
                {'a', SaverMode::ChangePassword}};
  for (const auto& m : kModes)
    if (EqualsLetterIgnoringCase(arg, m.letter)) return m.mode;
  return SaverMode::None;
}

std::optional<std::int64_t> FindHandleAfter(std::string_view text, char letter) {
  size_t at = text.find(letter);
  if (at == std::string_view::npos) return std::nullopt;
  size_t i = at + 1;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Window handles are 32-bit values here; anything beyond names no window.
  const std::int64_t limit = std::numeric_limits<std::uint32_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) return 0;
  }
  return negative ? -value : value;
}

}  // namespace velora
