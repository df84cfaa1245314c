#pragma once
// What the engine needs to know about a movie file before the device says
// anything: whether it goes to the AVI video device, and whether it plays
// backwards.
#include <functional>
#include <string_view>

namespace velora {

// The file-name part of a path: what follows its last backslash, slash or
// drive colon ("C:FISH.AVI" gives "FISH.AVI").
std::string_view FileNamePart(std::string_view path);

// True for a path whose file name ends in ".avi", in any letter case: the
// system opens these on the AVI video device.
bool IsAviFile(std::string_view path);

// True for a path whose file name ends in ".mp4", ".m4v" or ".mov", in any
// letter case: these are offered to Media Foundation first.
bool IsMediaFoundationFile(std::string_view path);

// Whether the movie at `path` plays backwards: when the settings ask for it
// and its device can. The AVI video device always can; any other device is
// asked (`deviceCanReverse`), and only then: a device that cannot (MPEG video)
// plays the movie forwards.
bool PlaysBackwards(bool reverseAsked, std::string_view path, const std::function<bool()>& deviceCanReverse);

}  // namespace velora
