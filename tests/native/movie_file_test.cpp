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

}  // namespace
}  // namespace velora
