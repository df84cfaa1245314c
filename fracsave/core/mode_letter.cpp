#include "fracsave/core/mode_letter.h"

#include "framework/core/switch_letter.h"

namespace fracsave {

char ModeLetter(const char* commandLine) {
  if (!commandLine) return 0;
  const std::string_view rest = fw::WithoutSwitchMark(commandLine);
  return rest.empty() ? 0 : rest[0];
}

bool IsSaverMode(const char* commandLine) {
  const char letter = ModeLetter(commandLine);
  return letter == 's' || letter == 'S';
}

}  // namespace fracsave
