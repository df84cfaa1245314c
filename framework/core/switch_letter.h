#pragma once
// How the three programs read a switch on their command line: one optional
// "/" or "-" before the letter, the letter in any case. velora and Velpanel
// take an argument that is exactly one such letter; fracsave looks only at
// the first character after the mark (its "Sx" starts the saver).
#include <string_view>

namespace fw {

// The argument without its one optional leading "/" or "-".
std::string_view WithoutSwitchMark(std::string_view argument);

// Whether the argument is the switch `letter` and nothing more.
bool IsSwitch(std::string_view argument, char letter);

}  // namespace fw
