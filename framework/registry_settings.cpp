#include "registry_settings.h"

namespace fw {

namespace {

UniqueKey CreateSubKey(HKEY parent, const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return UniqueKey();
  return UniqueKey(key);
}

}  // namespace

RegistrySettings::RegistrySettings(std::string company, std::string application)
    : company_(std::move(company)), application_(std::move(application)) {}

std::string RegistrySettings::SectionPath(const char* section) const {
  std::string path = "Software\\";
  if (!company_.empty()) path += company_ + "\\";
  return path + application_ + "\\" + section;
}

UniqueKey RegistrySettings::OpenSection(const char* section) const {
  // Key by key, so that each level is created when missing.
  UniqueKey software = CreateSubKey(HKEY_CURRENT_USER, "Software");
  if (!software) return software;
  UniqueKey company = company_.empty() ? std::move(software) : CreateSubKey(software.get(), company_.c_str());
  if (!company) return company;
  UniqueKey app = CreateSubKey(company.get(), application_.c_str());
  if (!app) return app;
  return CreateSubKey(app.get(), section);
}

int RegistrySettings::GetInt(const char* section, const char* entry, int fallback) const {
  UniqueKey key = OpenSection(section);
  if (!key) return fallback;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return fallback;
  return static_cast<int>(value);
}

bool RegistrySettings::WriteInt(const char* section, const char* entry, int value) const {
  UniqueKey key = OpenSection(section);
  if (!key) return false;
  DWORD dword = static_cast<DWORD>(value);
  return RegSetValueExA(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                        sizeof dword) == ERROR_SUCCESS;
}

}  // namespace fw
