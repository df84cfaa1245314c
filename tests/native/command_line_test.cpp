#include "velora/shell/core/command_line.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

TEST(MatchMode, OneLeadingDashOrSlashAndAnyCase) {
  for (const char* arg : {"s", "S", "-s", "/s", "-S", "/S"}) EXPECT_EQ(MatchMode(arg), SaverMode::Saver) << arg;
  EXPECT_EQ(MatchMode("/c"), SaverMode::Configure);
  EXPECT_EQ(MatchMode("-V"), SaverMode::Viewer);
  EXPECT_EQ(MatchMode("/P"), SaverMode::Preview);
  EXPECT_EQ(MatchMode("a"), SaverMode::ChangePassword);
}

TEST(MatchMode, WholeRestMustBeTheLetter) {
  for (const char* arg : {"-s2", "--s", "/s:1", "/s5", "-ss", "//s", "", "-", "/", "x", "s ", " s", "-/s", "cs"})
    EXPECT_EQ(MatchMode(arg), SaverMode::None) << '"' << arg << '"';
}

TEST(FindHandleAfter, ReadsTheNumberAfterTheLowerCaseLetter) {
  EXPECT_EQ(FindHandleAfter("/p 1234", 'p'), 1234u);
  EXPECT_EQ(FindHandleAfter("-p1234", 'p'), 1234u);
  EXPECT_EQ(FindHandleAfter("/p \t 77xyz", 'p'), 77u);
  EXPECT_EQ(FindHandleAfter("/p +12", 'p'), 12u);
  // The search is for the first lower-case letter anywhere in the text.
  EXPECT_EQ(FindHandleAfter("/P 1234", 'p'), std::nullopt);
  EXPECT_EQ(FindHandleAfter("/a 5 extra", 'a'), 5u);
  EXPECT_EQ(FindHandleAfter("/A spa 9", 'a'), 9u);
}

TEST(FindHandleAfter, NoDigitsGiveZero) {
  EXPECT_EQ(FindHandleAfter("/p", 'p'), 0u);
  EXPECT_EQ(FindHandleAfter("/p abc", 'p'), 0u);
  EXPECT_EQ(FindHandleAfter("/p -", 'p'), 0u);
}

// The x86 programs take 32-bit handles, the x64 ones the full 64 bits.
TEST(FindHandleAfter, TakesWholeHandlesOfEitherWidthAndNothingBeyond) {
  const struct {
    const char* text;
    int bits;
    std::uint64_t handle;
  } cases[] = {
      {"/p 4294967295", 32, 0xFFFFFFFFu},
      {"/p 4294967296", 32, 0},
      {"/p -12", 32, 0xFFFFFFF4u},
      {"/p 4294967296", 64, 0x100000000u},
      {"/p 18446744073709551615", 64, 0xFFFFFFFFFFFFFFFFu},
      {"/p 18446744073709551616", 64, 0},
      {"/p 99999999999999999999", 64, 0},
      {"/p -12", 64, 0xFFFFFFFFFFFFFFF4u},
  };
  for (const auto& c : cases) EXPECT_EQ(FindHandleAfter(c.text, 'p', c.bits), c.handle) << c.text << ", " << c.bits;
  EXPECT_EQ(FindHandleAfter("/p " + std::string(5000, '9'), 'p'), 0u);
}

}  // namespace
}  // namespace velora
