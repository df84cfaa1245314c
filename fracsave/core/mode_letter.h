// The fractal saver's command line: "s" or "S", optionally after "/" or "-",
// starts the saver; anything else opens the configuration dialog.
#pragma once

namespace fracsave {

// The first character, or the one after a leading "/" or "-"; 0 when none.
char ModeLetter(const char* commandLine);
bool IsSaverMode(const char* commandLine);

}  // namespace fracsave
