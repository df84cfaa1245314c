// Command lines of both savers against a plain restatement of their rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <string>

#include "fracsave/core/mode_letter.h"
#include "fuzz_check.h"
#include "velora/shell/core/command_line.h"

using namespace velora;

namespace {

SaverMode ExpectedMode(std::string arg) {
  if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) arg.erase(0, 1);
  if (arg.size() != 1) return SaverMode::None;
  switch (std::tolower(static_cast<unsigned char>(arg[0]))) {
    case 'c': return SaverMode::Configure;
    case 's': return SaverMode::Saver;
    case 'v': return SaverMode::Viewer;
    case 'p': return SaverMode::Preview;
    case 'a': return SaverMode::ChangePassword;
    default: return SaverMode::None;
  }
}

// As a handle of 32 bits (the x86 programs).
std::optional<std::uint64_t> ExpectedHandle(const std::string& text, char letter) {
  size_t i = text.find(letter);
  if (i == std::string::npos) return std::nullopt;
  for (++i; i < text.size() && std::string(" \t\n\v\f\r").find(text[i]) != std::string::npos;) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::string digits;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') digits += text[i++];
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  // More than a 32-bit handle holds names no window.
  if (digits.size() > 10 || (digits.size() == 10 && digits > "4294967295")) return 0;
  const std::uint32_t value = digits.empty() ? 0 : static_cast<std::uint32_t>(std::stoull(digits));
  return negative ? std::uint32_t(0 - value) : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string argument = in.ConsumeRandomLengthString(16);
  const std::string text = in.ConsumeRemainingBytesAsString();
  FUZZ_CHECK(MatchMode(argument) == ExpectedMode(argument));
  for (const char letter : {'p', 'a'}) FUZZ_CHECK(FindHandleAfter(text, letter, 32) == ExpectedHandle(text, letter));

  const std::string line = text.c_str();  // as the system hands it: up to the first zero
  const size_t at = !line.empty() && (line[0] == '/' || line[0] == '-') ? 1 : 0;
  const char letter = at < line.size() ? line[at] : 0;
  FUZZ_CHECK(fracsave::ModeLetter(line.c_str()) == letter);
  FUZZ_CHECK(fracsave::IsSaverMode(line.c_str()) == (letter == 's' || letter == 'S'));
  return 0;
}
