// Velpanel's command line: only a first argument of c, with at most one
// switch character, asks for velora's setup.
#include <gtest/gtest.h>

#include "velpanel/core/panel_command_line.h"

namespace velpanel {
namespace {

TEST(AsksForSetup, OnlyTheSetupSwitchAsFirstArgument) {
  struct Case {
    const char* commandLine;
    bool setup;
  } cases[] = {
      {"/c", true},  {"-C", true},     {"c", true},      {"  \"/c\"  ", true}, {"/c /s", true},
      {nullptr, false}, {"", false}, {"/s", false}, {"--c", false}, {"/c2", false}, {"/s /c", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine ? c.commandLine : "(none)");
    EXPECT_EQ(AsksForSetup(c.commandLine), c.setup);
  }
}

}  // namespace
}  // namespace velpanel
