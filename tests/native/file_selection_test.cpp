#include "velora/setup/core/file_selection.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

using Paths = std::vector<std::string>;
const auto kNoFile = [](const std::string&) { return false; };
const auto kAnyFile = [](const std::string&) { return true; };

std::string Zeroed(std::initializer_list<std::string> parts) {
  std::string buffer;
  for (const std::string& p : parts) (buffer += p) += '\0';
  return buffer + '\0';
}

TEST(SplitFileSelection, NewShellSingleAndMultiple) {
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\My Clips\\A B.AVI"}), true, kAnyFile),
            (Paths{"C:\\My Clips\\A B.AVI"}));
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\CLIPS", "FISH.AVI", "BIRDS.AVI", "SEA.WAV"}), true, kNoFile),
            (Paths{"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI", "C:\\CLIPS\\SEA.WAV"}));
  // The root folder of a drive already ends in a backslash; another is added.
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\", "A.AVI", "B.AVI"}), true, kNoFile),
            (Paths{"C:\\\\A.AVI", "C:\\\\B.AVI"}));
}

TEST(SplitFileSelection, OldShellSeparatesWithBlanks) {
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\CLIPS\\FISH.AVI"}), false, kNoFile), (Paths{"C:\\CLIPS\\FISH.AVI"}));
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\CLIPS FISH.AVI BIRDS.AVI"}), false, kAnyFile),
            (Paths{"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI"}));
}

TEST(SplitFileSelection, OldFormFromANewShellDialog) {
  EXPECT_EQ(SplitFileSelection(Zeroed({"C:\\CLIPS FISH.AVI BIRDS.AVI"}), true, kNoFile),
            (Paths{"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI"}));
}

TEST(SplitFileSelection, NothingChosenGivesNothing) {
  EXPECT_TRUE(SplitFileSelection(std::string(10, '\0'), true, kAnyFile).empty());
  EXPECT_TRUE(SplitFileSelection("", false, kAnyFile).empty());
}

TEST(SplitFileSelection, TwoHundredFiles) {
  std::string buffer = std::string("Z:\\clips") + '\0';
  for (int i = 0; i < 200; ++i) (buffer += "movie number " + std::to_string(i) + ".avi") += '\0';
  buffer += '\0';
  Paths paths = SplitFileSelection(buffer, true, kNoFile);
  ASSERT_EQ(paths.size(), 200u);
  EXPECT_EQ(paths[199], "Z:\\clips\\movie number 199.avi");
}

TEST(SplitFileSelection, UnterminatedBufferStaysInside) {
  std::string buffer = std::string("C:\\D") + '\0' + "A.AVI";  // no closing zeros
  EXPECT_EQ(SplitFileSelection(buffer, true, kNoFile), (Paths{"C:\\D\\A.AVI"}));
}

}  // namespace
}  // namespace velora
