#include "velpanel/core/panel_command_line.h"

#include <cctype>
#include <string>

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
  // One leading switch character only, as velora reads its own.
  if (!first.empty() && (first[0] == '/' || first[0] == '-')) first.erase(0, 1);
  return first == "c" || first == "C";
}

}  // namespace velpanel
