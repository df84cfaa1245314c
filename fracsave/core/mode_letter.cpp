#include "fracsave/core/mode_letter.h"

namespace fracsave {

char ModeLetter(const char* commandLine) {
  if (!commandLine) return 0;
  const char* p = commandLine;
  if (*p == '/' || *p == '-') ++p;
  return *p;
}

bool IsSaverMode(const char* commandLine) {
  const char letter = ModeLetter(commandLine);
  return letter == 's' || letter == 'S';
}

}  // namespace fracsave
