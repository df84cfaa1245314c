// The fractal saver's preferences and screen-saver password in CONTROL.INI:
// the Windows directory's file, or the user's copy of it that the x64 build
// follows (framework/user_store.h).
#pragma once

#include <windows.h>

#include "fracsave/core/password.h"
#include "fracsave/core/saver_state.h"

namespace fracsave {

extern const char kControlIni[];      // "CONTROL.INI"
extern const char kSaverSection[];    // "Screen Saver.Mandelbrot"
extern const char kPasswordSection[]; // "ScreenSaver"
extern const char kPasswordKey[];     // "Password"

// The six flags, in the order PWProtected, FastGen, ShiftPal, RandCorners,
// AlterCorners, ShowGen; a missing key reads as 0.
void ReadSaverSettings(SaverSettings& settings);
void WriteSaverSettings(const SaverSettings& settings);
// The five the saver window reads again at its creation (all but PWProtected).
void ReadFrameSettings(SaverSettings& settings);
// Any other value of the saver's section (the regions' "SetInfo").
void WriteSaverValue(const char* key, const char* text);

// The stored password, scrambled.
struct StoredPassword {
  char text[kPasswordMax + 1];
};
StoredPassword ReadStoredPassword();
// Scrambles and stores a new password (empty: none).
void WriteStoredPassword(char* text);

// The scrambling with the system's ANSI upper-casing.
void ScramblePassword(char* text);

}  // namespace fracsave
