// The fractal saver's password scrambling and its command-line rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fracsave/core/mode_letter.h"
#include "fracsave/core/password.h"

using namespace fracsave;

namespace {

std::string Scrambled(const std::string& typed) {
  char text[64] = {};
  std::strncpy(text, typed.c_str(), sizeof text - 1);
  ScramblePasswordWith(text, AsciiUpper);
  return text;
}

bool EqualIgnoringCase(std::string a, std::string b) {
  char* pa = a.data();
  char* pb = b.data();
  AsciiUpper(pa);
  AsciiUpper(pb);
  return a == b;
}

}  // namespace

TEST(ScrambleStep, RefusedSetIsExactlyTheListedValues) {
  for (int v = 0; v < 256; ++v) {
    const bool expected = v <= 0x20 || v == '=' || v == '[' || v == ']' ||
                          (v >= 0x7F && v <= 0x90) || (v >= 0x93 && v <= 0x9F);
    EXPECT_EQ(ScrambleRefused(uint8_t(v)), expected) << "value " << v;
  }
}

TEST(ScrambleStep, TakesTheXorUnlessRefused) {
  uint8_t cell = 'A';
  ScrambleStep(0x01, &cell);  // 'A' ^ 1 = '@'
  EXPECT_EQ(cell, '@');
  cell = 'A';
  ScrambleStep('A', &cell);  // 0: refused, cell kept
  EXPECT_EQ(cell, 'A');
  cell = 'A';
  ScrambleStep('A' ^ '=', &cell);  // would give '=': kept
  EXPECT_EQ(cell, 'A');
  cell = 'A';
  ScrambleStep(0x100 | ('A' ^ 0x91), &cell);  // only the low byte of a counts; 0x91 taken
  EXPECT_EQ(cell, 0x91);
  cell = 'A';
  ScrambleStep('A' ^ 0x85, &cell);  // 0x85 refused
  EXPECT_EQ(cell, 'A');
}

TEST(ScramblePassword, EmptyAndOneCharacterTextsStayAsTyped) {
  EXPECT_EQ(Scrambled(""), "");
  EXPECT_EQ(Scrambled("a"), "a");  // not even upper-cased
  EXPECT_EQ(Scrambled("Z"), "Z");
}

TEST(ScramblePassword, UpperCasesThenScramblesIntoStorableText) {
  const std::string s = Scrambled("secret");
  EXPECT_EQ(s.size(), 6u);
  EXPECT_NE(s, "SECRET");
  EXPECT_EQ(s, Scrambled("SECRET"));
  EXPECT_EQ(s, Scrambled("sEcReT"));
  // Nothing that would spoil a CONTROL.INI line or be trimmed from it.
  for (const char* typed : {"secret", "ab", "  ", "a=b[c]", "zzzzzzzzzzzzzzzzzzzz"}) {
    for (unsigned char c : Scrambled(typed)) EXPECT_FALSE(ScrambleRefused(c)) << typed;
  }
}

TEST(ScramblePassword, TypedPasswordMatchesStoredOneInAnyCase) {
  const std::string stored = Scrambled("Mandel");
  EXPECT_TRUE(EqualIgnoringCase(Scrambled("mandel"), stored));
  EXPECT_TRUE(EqualIgnoringCase(Scrambled("MANDEL"), stored));
  EXPECT_FALSE(EqualIgnoringCase(Scrambled("mandelb"), stored));
  EXPECT_FALSE(EqualIgnoringCase(Scrambled("mandal"), stored));
  // A one-character password is compared case aside, as typed.
  EXPECT_TRUE(EqualIgnoringCase(Scrambled("q"), Scrambled("Q")));
}

TEST(ScramblePassword, KeepsAtMostTwentyCharacters) {
  const std::string twenty(20, 'x');
  const std::string longer = twenty + "yyyyy";
  char text[64] = {};
  std::strcpy(text, longer.c_str());
  ScramblePasswordWith(text, AsciiUpper);
  EXPECT_EQ(std::strlen(text), 20u);
  EXPECT_EQ(std::string(text), Scrambled(twenty));
  // Nothing past the work buffer is touched.
  EXPECT_EQ(text[21], 'y');
}

TEST(ScramblePassword, KnownValue) {
  // Pinned so that a stored password keeps unlocking across builds.
  const std::string s = Scrambled("ab");
  EXPECT_EQ(s.size(), 2u);
  // Forward:  'A' ^2 = 0x43, ^'M' = 0x0E refused: 0x43;  'B' ^2 = 0x40, ^1 = 0x41, ^0x43 refused: 0x41.
  // Backward: 0x41 ^2 = 0x43, ^'M' refused: 0x43;  0x43 ^2 = 0x41, ^0 = 0x41, ^0x43 refused: 0x41.
  EXPECT_EQ(s, "AC");
}

TEST(ModeLetter, SaverOnlyForAnSWithOptionalSwitchMark) {
  for (const char* line : {"/s", "-S", "s", "Sx", "S", "/S 123"}) EXPECT_TRUE(IsSaverMode(line)) << line;
  for (const char* line : {"", "/c", "/a", "/p 1234", "-", "/", "//s", " s", "c", "x s"})
    EXPECT_FALSE(IsSaverMode(line)) << line;
  EXPECT_FALSE(IsSaverMode(nullptr));
  EXPECT_EQ(ModeLetter("/p 1234"), 'p');
  EXPECT_EQ(ModeLetter("-"), '\0');
}
