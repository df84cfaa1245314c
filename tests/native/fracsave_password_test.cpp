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

// What a scrambled password may never hold: what would end, break or be
// trimmed from its CONTROL.INI line, or fall outside the printable ANSI set.
TEST(ScrambleStep, RefusesWhatWouldSpoilAProfileLine) {
  const struct {
    const char* what;
    uint8_t first, last;
    bool refused;
  } ranges[] = {
      {"controls and the blank", 0x00, 0x20, true},
      {"'!' to '<'", 0x21, 0x3C, false},
      {"'='", '=', '=', true},
      {"'>' to 'Z'", 0x3E, 0x5A, false},
      {"'['", '[', '[', true},
      {"'\\'", '\\', '\\', false},
      {"']'", ']', ']', true},
      {"'^' to '~'", 0x5E, 0x7E, false},
      {"DEL and 0x80 to 0x90", 0x7F, 0x90, true},
      {"the curly single quotes", 0x91, 0x92, false},
      {"0x93 to 0x9F", 0x93, 0x9F, true},
      {"0xA0 to 0xFF", 0xA0, 0xFF, false},
  };
  for (const auto& r : ranges)
    for (int v = r.first; v <= r.last; ++v) EXPECT_EQ(ScrambleRefused(uint8_t(v)), r.refused) << r.what << ": " << v;
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
