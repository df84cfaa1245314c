#pragma once
// What the engine needs to know about a movie file before the device says
// anything: whether it goes to the AVI video device.
#include <string_view>

namespace velora {

// True for a path whose file name ends in ".avi", in any letter case: the
// system opens these on the AVI video device.
bool IsAviFile(std::string_view path);

}  // namespace velora
