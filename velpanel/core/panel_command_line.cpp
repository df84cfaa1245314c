#include "velpanel/core/panel_command_line.h"

#include <cctype>
#include <string>

#include "framework/core/switch_letter.h"

namespace velpanel {

bool AsksForSetup(const char* commandLine) {
  if (!commandLine) return false;
  const char* p = commandLine;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  std::string first;
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) first += *p;
  } else {
    for (; *p && !std::isspace(static_cast<unsigned char>(*p)); ++p) first += *p;
  }
  // Read as velora reads its own switches.
  return fw::IsSwitch(first, 'c');
}

}  // namespace velpanel
