#include "fracsave/core/password.h"

#include <cstring>

namespace fracsave {

bool ScrambleRefused(uint8_t v) {
  return v <= 0x20 || v == 0x3D || v == 0x5B || v == 0x5D || (v >= 0x7F && v <= 0x90) ||
         (v >= 0x93 && v <= 0x9F);
}

void ScrambleStep(int32_t a, uint8_t* cell) {
  const uint8_t r = uint8_t(uint8_t(a & 0xff) ^ *cell);
  if (!ScrambleRefused(r)) *cell = r;
}

void ScramblePasswordWith(char* text, UpperCaser upper) {
  char work[kPasswordMax + 1] = {};
  const size_t n = strnlen(text, kPasswordMax);
  if (n == 0) return;
  std::memcpy(work, text, n);
  upper(work);
  auto* b = reinterpret_cast<uint8_t*>(work);
  for (size_t i = 0; i < n; ++i) {
    uint8_t cell = b[i];
    ScrambleStep(int32_t(n), &cell);
    if (i == 0) {
      ScrambleStep(kScrambleStart, &cell);
    } else {
      ScrambleStep(int32_t(i), &cell);
      ScrambleStep(b[i - 1], &cell);
    }
    b[i] = cell;
  }
  // A one-character password is stored and compared as typed.
  if (n == 1) return;
  for (size_t i = n; i-- > 0;) {
    uint8_t cell = b[i];
    ScrambleStep(int32_t(n), &cell);
    if (i == n - 1) {
      ScrambleStep(kScrambleStart, &cell);
    } else {
      ScrambleStep(int32_t(i), &cell);
      ScrambleStep(b[i + 1], &cell);
    }
    b[i] = cell;
  }
  std::memcpy(text, work, n + 1);
}

void AsciiUpper(char* text) {
  for (; *text; ++text)
    if (*text >= 'a' && *text <= 'z') *text = char(*text - 'a' + 'A');
}

}  // namespace fracsave
