#include "framework/user_store.h"

#include <vector>

#include "framework/handles.h"

namespace fw {

namespace {

std::string Environment(const char* name) {
  std::vector<char> value(MAX_PATH);
  DWORD length = GetEnvironmentVariableA(name, value.data(), DWORD(value.size()));
  if (length >= value.size()) {
    value.resize(length);
    length = GetEnvironmentVariableA(name, value.data(), DWORD(value.size()));
  }
  return length < value.size() ? std::string(value.data(), length) : std::string();
}

std::string InWindowsDirectory(const char* name) {
  char directory[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return {};
  std::string path(directory, length);
  if (path.back() != '\\') path += '\\';
  return path + name;
}

}  // namespace

std::string VirtualStoreCopyOf(std::string_view path, std::string_view localAppData) {
  // Only a path on a drive ("C:\...") has a redirected copy.
  if (localAppData.empty() || path.size() < 4 || path[1] != ':' || path[2] != '\\') return {};
  std::string copy(localAppData);
  if (copy.back() != '\\') copy += '\\';
  copy += "VirtualStore";
  copy += path.substr(2);
  return copy.size() < MAX_PATH ? copy : std::string();
}

std::string FollowedVirtualStoreCopyOf(std::string_view path) {
  return kFollowsVirtualStore ? VirtualStoreCopyOf(path, Environment("LOCALAPPDATA")) : std::string();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RefusedByTheSystem(const std::string& path, DWORD error) {
  if (error != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

void MakeFoldersFor(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

UserProfileFile::UserProfileFile(std::string name, std::string windowsPath, std::string virtualStoreCopy)
    : name_(std::move(name)), windowsPath_(std::move(windowsPath)), virtualStoreCopy_(std::move(virtualStoreCopy)) {}

UserProfileFile UserProfileFile::InWindowsDirectory(const char* name) {
  std::string path = fw::InWindowsDirectory(name);
  std::string copy = FollowedVirtualStoreCopyOf(path);
  return UserProfileFile(name, std::move(path), std::move(copy));
}

std::string UserProfileFile::ForReading(const char* section) const {
  if (virtualStoreCopy_.empty() || windowsPath_.empty() || SectionMappedToRegistry(name_.c_str(), section))
    return name_;
  return FileExists(virtualStoreCopy_) ? virtualStoreCopy_ : windowsPath_;
}

DWORD UserProfileFile::Store(const char* section, const Write& write) const {
  const std::string file = ForReading(section);
  const DWORD error = write(file.c_str());
  if (file != windowsPath_ || !RefusedByTheSystem(file, error)) return error;
  MakeFoldersFor(virtualStoreCopy_);
  return write(virtualStoreCopy_.c_str());
}

bool SectionMappedToRegistry(const char* name, const char* section) {
  const std::string key = std::string("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\") + name;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  const UniqueKey mapping(opened);
  // A value named after the section maps it; the key's default value maps every other section.
  return RegQueryValueExA(mapping.get(), section, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS ||
         RegQueryValueExA(mapping.get(), nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace fw
