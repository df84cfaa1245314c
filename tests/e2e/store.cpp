// Registry and file helpers: the state the programs leave behind, and the movie
// clips they play.
#include <cstdio>

#include "driver.h"

namespace e2e {

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void DeleteKeyTree(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  char child[256];
  for (;;) {
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    const std::string before = child;
    DeleteKeyTree(key, child);
    // Stop rather than loop for ever on a key that cannot be deleted.
    size = sizeof child;
    if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        before == child)
      break;
  }
  RegCloseKey(key);
  RegDeleteKeyA(root, path.c_str());
}

std::optional<DWORD> ReadDword(HKEY root, const std::string& path, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return value;
}

int CountValues(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return static_cast<int>(values);
}

bool WriteDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::string WindowsDirectory() {
  char directory[MAX_PATH] = "";
  GetWindowsDirectoryA(directory, sizeof directory);
  return directory;
}

std::string PlaylistFilePath() { return WindowsDirectory() + "\\velora.ini"; }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteFileIfPresent(const std::string& path) { DeleteFileA(path.c_str()); }

std::vector<std::string> FilesIn(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string SolidColourClip(const Rgb& colour, int width, int height, int seconds) {
  return SolidColourMovie(colour, width, height, seconds, "avi");
}

std::string SolidColourMovie(const Rgb& colour, int width, int height, int seconds, const std::string& type) {
  // Each type in the codec and container that people's files of it mostly have.
  struct Encoding {
    const char* type;
    const char* arguments;
  };
  static const Encoding kEncodings[] = {
      {"avi", ":r=5 -c:v msvideo1 -f avi"},
      {"mp4", ":r=5 -c:v libx264 -pix_fmt yuv420p -f mp4"},
      {"wmv", ":r=5 -c:v wmv2 -f asf"},
      {"mpg", ":r=25 -c:v mpeg1video -f mpeg"},
  };
  const Encoding* encoding = nullptr;
  for (const Encoding& e : kEncodings)
    if (type == e.type) encoding = &e;
  if (!encoding) return std::string();
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02x%02x%02x", colour.r, colour.g, colour.b);
  const std::string directory = ScratchDirLinux() + "/e2e-clips";
  const std::string linuxPath = directory + "/" + hex + "-" + std::to_string(width) + "x" +
                                std::to_string(height) + "-" + std::to_string(seconds) + "s." + type;
  const std::string path = WindowsPathFromLinux(linuxPath);
  if (FileExists(path)) return path;
  CreateDirectoryA(WindowsPathFromLinux(directory).c_str(), nullptr);
  // Made under another name and renamed, so that a clip cut short is never
  // taken for a finished one.
  const std::string part = linuxPath + ".part";
  const std::string command = "/usr/bin/ffmpeg -nostdin -y -loglevel error -f lavfi -i color=c=0x" +
                              std::string(hex) + ":s=" + std::to_string(width) + "x" +
                              std::to_string(height) + encoding->arguments + " -t " +
                              std::to_string(seconds) + " '" + part + "'";
  if (RunLinux(command, milliseconds(30000)) != 0 ||
      !MoveFileExA(WindowsPathFromLinux(part).c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    return std::string();
  return path;
}

ExclusiveFileLock::ExclusiveFileLock(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

ExclusiveFileLock::~ExclusiveFileLock() { Release(); }

void ExclusiveFileLock::Release() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

}  // namespace e2e
