#include "velora/playback/movie_file.h"

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

}  // namespace
}  // namespace velora
