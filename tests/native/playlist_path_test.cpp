#include "velora/playlists/core/playlist_path.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

TEST(PlaylistFilePath, InTheWindowsDirectory) {
  EXPECT_EQ(PlaylistFilePath("C:\\WINDOWS"), "C:\\WINDOWS\\velora.ini");
  EXPECT_EQ(PlaylistFilePath("C:\\"), "C:\\velora.ini");
}

TEST(PlaylistFilePath, TooLongForThePathBufferGivesNoPath) {
  // 259 characters is the most the buffer holds besides its terminating zero.
  std::string fits = "C:\\" + std::string(259 - 3 - 11, 'd');
  ASSERT_EQ(PlaylistFilePath(fits)->size(), 259u);
  EXPECT_EQ(PlaylistFilePath(fits + "d"), std::nullopt);
  EXPECT_EQ(PlaylistFilePath(std::string(5000, 'd')), std::nullopt);
  EXPECT_EQ(PlaylistFilePath(""), std::nullopt);
}

}  // namespace
}  // namespace velora
