// Any typed password: the scrambling stays inside its buffer, keeps the
// length, makes no character that would break CONTROL.INI out of one that
// would not, and ignores letter case.
#include <cstring>
#include <memory>
#include <string>

#include "fracsave/core/password.h"
#include "fuzz_check.h"

using namespace fracsave;

namespace {

// In a buffer exactly as large as the dialog's, so that any write past it is caught.
std::string Scrambled(const std::string& typed, UpperCaser upper) {
  const auto buffer = std::make_unique<char[]>(kPasswordMax + 1);
  std::memset(buffer.get(), 0, kPasswordMax + 1);
  std::memcpy(buffer.get(), typed.data(), std::min<size_t>(typed.size(), kPasswordMax));
  ScramblePasswordWith(buffer.get(), upper);
  return std::string(buffer.get(), strnlen(buffer.get(), kPasswordMax + 1));
}

void AsciiLower(char* text) {
  for (; *text; ++text)
    if (*text >= 'A' && *text <= 'Z') *text = char(*text - 'A' + 'a');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string typed(reinterpret_cast<const char*>(data), size);
  typed = typed.substr(0, std::min(typed.find('\0'), size_t(kPasswordMax)));
  const std::string out = Scrambled(typed, &AsciiUpper);
  FUZZ_CHECK(out.size() == typed.size());
  if (typed.size() == 1) FUZZ_CHECK(out == typed);

  std::string upper = typed;
  AsciiUpper(upper.data());
  for (size_t i = 0; i < out.size() && typed.size() > 1; ++i)
    FUZZ_CHECK(!ScrambleRefused(uint8_t(out[i])) || out[i] == upper[i]);

  std::string lower = typed;
  AsciiLower(lower.data());
  if (typed.size() > 1) FUZZ_CHECK(Scrambled(lower, &AsciiUpper) == out);
  return 0;
}
