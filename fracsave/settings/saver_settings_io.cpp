#include "fracsave/settings/saver_settings_io.h"

#include <cstdio>

namespace fracsave {

const char kControlIni[] = "CONTROL.INI";
const char kSaverSection[] = "Screen Saver.Mandelbrot";
const char kPasswordSection[] = "ScreenSaver";
const char kPasswordKey[] = "Password";

char g_storedPassword[kPasswordMax + 1];

namespace {

int32_t ReadFlag(const char* key) {
  return int32_t(GetPrivateProfileIntA(kSaverSection, key, 0, kControlIni));
}

void WriteFlag(const char* key, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(value));
  WritePrivateProfileStringA(kSaverSection, key, text, kControlIni);
}

void SystemUpper(char* text) { CharUpperA(text); }

}  // namespace

void ReadSaverSettings() {
  g_saverSettings.pwProtected = ReadFlag("PWProtected");
  ReadFrameSettings();
}

void ReadFrameSettings() {
  g_saverSettings.fastGen = ReadFlag("FastGen");
  g_saverSettings.shiftPal = ReadFlag("ShiftPal");
  g_saverSettings.randCorners = ReadFlag("RandCorners");
  g_saverSettings.alterCorners = ReadFlag("AlterCorners");
  g_saverSettings.showGen = ReadFlag("ShowGen");
}

void WriteSaverSettings() {
  WriteFlag("PWProtected", g_saverSettings.pwProtected);
  WriteFlag("FastGen", g_saverSettings.fastGen);
  WriteFlag("ShiftPal", g_saverSettings.shiftPal);
  WriteFlag("RandCorners", g_saverSettings.randCorners);
  WriteFlag("AlterCorners", g_saverSettings.alterCorners);
  WriteFlag("ShowGen", g_saverSettings.showGen);
}

void ReadStoredPassword() {
  g_storedPassword[0] = '\0';
  GetPrivateProfileStringA(kPasswordSection, kPasswordKey, "", g_storedPassword,
                           sizeof g_storedPassword, kControlIni);
  g_storedPassword[kPasswordMax] = '\0';
}

void WriteStoredPassword(char* text) {
  ScramblePassword(text);
  WritePrivateProfileStringA(kPasswordSection, kPasswordKey, text, kControlIni);
}

void ScramblePassword(char* text) { ScramblePasswordWith(text, SystemUpper); }

}  // namespace fracsave
