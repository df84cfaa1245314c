#include "fracsave/settings/saver_settings_io.h"

#include <cstdio>

#include "framework/user_store.h"

namespace fracsave {

const char kControlIni[] = "CONTROL.INI";
const char kSaverSection[] = "Screen Saver.Mandelbrot";
const char kPasswordSection[] = "ScreenSaver";
const char kPasswordKey[] = "Password";

namespace {

// Where the process finds CONTROL.INI does not change while it runs.
const fw::UserProfileFile& ControlIni() {
  static const fw::UserProfileFile file = fw::UserProfileFile::InWindowsDirectory(kControlIni);
  return file;
}

std::string FileForReading(const char* section) { return ControlIni().ForReading(section); }

void WriteValue(const char* section, const char* key, const char* text) {
  ControlIni().Store(section, [&](const char* file) -> DWORD {
    return WritePrivateProfileStringA(section, key, text, file) ? ERROR_SUCCESS : GetLastError();
  });
}

int32_t ReadFlag(const char* key) {
  return int32_t(GetPrivateProfileIntA(kSaverSection, key, 0, FileForReading(kSaverSection).c_str()));
}

void WriteFlag(const char* key, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(value));
  WriteValue(kSaverSection, key, text);
}

void SystemUpper(char* text) { CharUpperA(text); }

}  // namespace

void ReadSaverSettings(SaverSettings& settings) {
  settings.pwProtected = ReadFlag("PWProtected");
  ReadFrameSettings(settings);
}

void ReadFrameSettings(SaverSettings& settings) {
  settings.fastGen = ReadFlag("FastGen");
  settings.shiftPal = ReadFlag("ShiftPal");
  settings.randCorners = ReadFlag("RandCorners");
  settings.alterCorners = ReadFlag("AlterCorners");
  settings.showGen = ReadFlag("ShowGen");
}

void WriteSaverSettings(const SaverSettings& settings) {
  WriteFlag("PWProtected", settings.pwProtected);
  WriteFlag("FastGen", settings.fastGen);
  WriteFlag("ShiftPal", settings.shiftPal);
  WriteFlag("RandCorners", settings.randCorners);
  WriteFlag("AlterCorners", settings.alterCorners);
  WriteFlag("ShowGen", settings.showGen);
}

StoredPassword ReadStoredPassword() {
  StoredPassword stored = {};
  GetPrivateProfileStringA(kPasswordSection, kPasswordKey, "", stored.text, sizeof stored.text,
                           FileForReading(kPasswordSection).c_str());
  stored.text[kPasswordMax] = '\0';
  return stored;
}

void WriteStoredPassword(char* text) {
  ScramblePassword(text);
  WriteValue(kPasswordSection, kPasswordKey, text);
}

void WriteSaverValue(const char* key, const char* text) { WriteValue(kSaverSection, key, text); }

void ScramblePassword(char* text) { ScramblePasswordWith(text, SystemUpper); }

}  // namespace fracsave
