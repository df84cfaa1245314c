// Which libraries loaded on first use are found through the manifest's
// activation context rather than by their path in the system directory.
#include <gtest/gtest.h>

#include "framework/delayed_libraries.h"

TEST(DelayedLibraries, OnlyTheCommonControlsComeFromTheSideBySideStore) {
  const struct {
    const char* library;
    bool sideBySide;
  } cases[] = {
      {"COMCTL32.DLL", true},  {"comctl32.dll", true},  {"SHELL32.dll", false}, {"WINMM.DLL", false},
      {"comctl32", false},     {"xcomctl32.dll", false}, {"", false},          {nullptr, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::LoadedFromSideBySideStore(c.library), c.sideBySide) << (c.library ? c.library : "(null)");
}
