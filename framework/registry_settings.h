#pragma once
// Per-user integer settings under HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
#include <windows.h>

#include <string>

#include "handles.h"

namespace fw {

class RegistrySettings {
 public:
  // An empty company keeps the settings directly under Software\<application>.
  RegistrySettings(std::string company, std::string application);

  // The value as a REG_DWORD, or fallback when it is missing or of another type.
  // Opening the section creates the chain of keys, as a first run leaves them.
  int GetInt(const char* section, const char* entry, int fallback) const;
  bool WriteInt(const char* section, const char* entry, int value) const;

  std::string SectionPath(const char* section) const;

 private:
  UniqueKey OpenSection(const char* section) const;

  std::string company_;
  std::string application_;
};

}  // namespace fw
