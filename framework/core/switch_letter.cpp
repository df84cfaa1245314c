#include "framework/core/switch_letter.h"

#include <cctype>

namespace fw {

std::string_view WithoutSwitchMark(std::string_view argument) {
  if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) argument.remove_prefix(1);
  return argument;
}

bool IsSwitch(std::string_view argument, char letter) {
  argument = WithoutSwitchMark(argument);
  return argument.size() == 1 && std::tolower(static_cast<unsigned char>(argument[0])) ==
                                     std::tolower(static_cast<unsigned char>(letter));
}

}  // namespace fw
