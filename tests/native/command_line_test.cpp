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
  EXPECT_EQ(FindHandleAfter("/p 1234", 'p'), 1234);
  EXPECT_EQ(FindHandleAfter("-p1234", 'p'), 1234);
  EXPECT_EQ(FindHandleAfter("/p \t 77xyz", 'p'), 77);
  EXPECT_EQ(FindHandleAfter("/p +12", 'p'), 12);
  EXPECT_EQ(FindHandleAfter("/p -12", 'p'), -12);
  // The search is for the first lower-case letter anywhere in the text.
  EXPECT_EQ(FindHandleAfter("/P 1234", 'p'), std::nullopt);
  EXPECT_EQ(FindHandleAfter("/a 5 extra", 'a'), 5);
  EXPECT_EQ(FindHandleAfter("/A spa 9", 'a'), 9);
}

TEST(FindHandleAfter, NoDigitsGiveZero) {
  EXPECT_EQ(FindHandleAfter("/p", 'p'), 0);
  EXPECT_EQ(FindHandleAfter("/p abc", 'p'), 0);
  EXPECT_EQ(FindHandleAfter("/p -", 'p'), 0);
}

TEST(FindHandleAfter, HugeNumbersNameNoWindow) {
  EXPECT_EQ(FindHandleAfter("/p 4294967295", 'p'), 4294967295LL);
  EXPECT_EQ(FindHandleAfter("/p 4294967296", 'p'), 0);
  EXPECT_EQ(FindHandleAfter("/p " + std::string(5000, '9'), 'p'), 0);
}

}  // namespace
}  // namespace velora
