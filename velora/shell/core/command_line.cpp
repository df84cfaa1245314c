#include "velora/shell/core/command_line.h"

#include <cctype>
#include <limits>

#include "framework/core/switch_letter.h"

namespace velora {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }


}  // namespace

SaverMode MatchMode(std::string_view arg) {
  static const struct {
    char letter;
    SaverMode mode;
  } kModes[] = {{'c', SaverMode::Configure},
                {'s', SaverMode::Saver},
                {'v', SaverMode::Viewer},
                {'p', SaverMode::Preview},
                {'a', SaverMode::ChangePassword}};
  for (const auto& m : kModes)
    if (fw::IsSwitch(arg, m.letter)) return m.mode;
  return SaverMode::None;
}

std::optional<std::uint64_t> FindHandleAfter(std::string_view text, char letter, int handleBits) {
  size_t at = text.find(letter);
  if (at == std::string_view::npos) return std::nullopt;
  size_t i = at + 1;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::uint64_t limit =
      handleBits >= 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << handleBits) - 1;
  std::uint64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const unsigned digit = text[i] - '0';
    if (value > (limit - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return negative ? (0 - value) & limit : value;
}

}  // namespace velora
