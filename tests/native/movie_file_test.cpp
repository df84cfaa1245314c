#include "velora/playback/core/movie_file.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

TEST(IsAviFile, ByTheFileNamesLastExtensionInAnyCase) {
  struct Case {
    const char* path;
    bool avi;
  };
  const Case cases[] = {
      {"C:\\CLIPS\\A.AVI", true},      {"c:\\clips\\a.avi", true},   {"Z:\\x\\Movie.AvI", true},
      {"C:\\CLIPS\\A.MP4", false},     {"C:\\A.AVI.MP4", false},     {"C:\\A.AVIX", false},
      {"C:\\OLD.AVI\\MOVIE", false},   {"C:\\AVI", false},           {"C:.avi", true},
      {"", false},                     {"A.MPG", false},             {"\\\\host\\share\\a.avi", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAviFile(c.path), c.avi) << c.path;
}

TEST(IsMediaFoundationFile, Mp4M4vAndMovInAnyCaseOnly) {
  struct Case {
    const char* path;
    bool mediaFoundation;
  };
  const Case cases[] = {
      {"C:\\CLIPS\\A.MP4", true},   {"c:\\clips\\a.m4v", true},   {"C:\\Phone.MoV", true},
      {"C:\\A.AVI", false},         {"C:\\A.WMV", false},         {"C:\\A.MPG", false},
      {"C:\\A.MP4\\MOVIE", false},  {"C:\\A.MP4.AVI", false},     {"C:\\A.MP44", false},
      {"C:\\MP4", false},           {"C:.mov", true},             {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsMediaFoundationFile(c.path), c.mediaFoundation) << c.path;
}

// The device is asked only when its answer decides: asking costs the player,
// the fallback preview and the setup dialog's preview a device command.
TEST(PlaysBackwards, WhenAskedForOnTheAviDeviceOrADeviceThatSaysItCan) {
  struct Case {
    bool asked;
    const char* path;
    bool deviceCan;
    bool backwards;
    bool deviceAsked;
  };
  const Case cases[] = {
      {false, "C:\\A.AVI", true, false, false}, {false, "C:\\A.MP4", true, false, false},
      {true, "C:\\A.AVI", false, true, false},  {true, "C:\\A.MP4", true, true, true},
      {true, "C:\\A.MP4", false, false, true},
  };
  for (const Case& c : cases) {
    int asks = 0;
    EXPECT_EQ(PlaysBackwards(c.asked, c.path, [&] { return ++asks, c.deviceCan; }), c.backwards) << c.path;
    EXPECT_EQ(asks, c.deviceAsked ? 1 : 0) << c.path;
  }
}

}  // namespace
}  // namespace velora
