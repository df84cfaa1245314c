// What a process holds, as the benchmarks count it under Wine too, where
// GetProcessHandleCount and the private-bytes figure answer 0.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

using QuerySystemFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);

// One NtQuerySystemInformation table, grown until it fits; empty on failure.
inline std::vector<unsigned char> QuerySystem(int infoClass) {
  static const auto query = reinterpret_cast<QuerySystemFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<unsigned char> buffer(1 << 16);
  if (!query) return {};
  for (;;) {
    ULONG needed = 0;
    if (query(infoClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) == 0)
      return buffer;
    if (buffer.size() >= (1u << 26)) return {};
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
  }
}

// The process's open handles, counted in the system's handle list, for
// systems whose GetProcessHandleCount answers 0 (Wine).
inline DWORD HandlesInSystemList(DWORD processId) {
  struct HandleEntry {
    ULONG ownerProcessId;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
  };
  const int kSystemHandleInformation = 16;
  const std::vector<unsigned char> list = QuerySystem(kSystemHandleInformation);
  if (list.size() < sizeof(ULONG)) return 0;
  ULONG count = 0;
  std::memcpy(&count, list.data(), sizeof count);
  // The entries follow the count, aligned as an entry.
  const size_t first = (sizeof(ULONG) + alignof(HandleEntry) - 1) / alignof(HandleEntry) *
                       alignof(HandleEntry);
  count = static_cast<ULONG>(std::min<size_t>(count, (list.size() - first) / sizeof(HandleEntry)));
  const auto* entries = reinterpret_cast<const HandleEntry*>(list.data() + first);
  DWORD mine = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].ownerProcessId == processId) ++mine;
  return mine;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

// Anonymous resident memory of a Linux process, in bytes; 0 if unknown.
inline SIZE_T LinuxPrivateBytes(unsigned long pid) {
  if (pid == 0) return 0;
  const std::string status = ReadWholeFile("Z:\\proc\\" + std::to_string(pid) + "\\status");
  const size_t at = status.find("RssAnon:");
  if (at == std::string::npos) return 0;
  return static_cast<SIZE_T>(std::strtoul(status.c_str() + at + 8, nullptr, 10)) * 1024;
}

inline std::string LowerBaseName(std::string path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos) path.erase(0, slash + 1);
  for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return path;
}

// Under Wine the player is also a Linux process, whose anonymous resident
// memory is the private-bytes figure that Wine does not report. It is found
// in Linux's process list: same Wine prefix as ours, same program file.
// Returns 0 when not running under Wine or not found.
inline unsigned long FindLinuxProcess(const std::string& commandLine) {
  char prefix[MAX_PATH];
  if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return 0;
  const std::string program = LowerBaseName(
      commandLine[0] == '"' ? commandLine.substr(1, commandLine.find('"', 1) - 1)
                            : commandLine.substr(0, commandLine.find(' ')));
  const std::string prefixEntry = std::string("WINEPREFIX=") + prefix;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  unsigned long match = 0;
  do {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(found.cFileName, &end, 10);
    if (!end || *end || pid == 0) continue;
    const std::string dir = std::string("Z:\\proc\\") + found.cFileName;
    const std::string cmdline = ReadWholeFile(dir + "\\cmdline");
    const std::string first = cmdline.substr(0, cmdline.find_first_of(std::string(" \0", 2)));
    if (LowerBaseName(first) != program) continue;
    const std::string environment = ReadWholeFile(dir + "\\environ");
    if (environment.find(std::string("\0", 1) + prefixEntry + std::string("\0", 1)) == std::string::npos &&
        environment.compare(0, prefixEntry.size() + 1, prefixEntry + std::string("\0", 1)) != 0)
      continue;
    match = pid;
    break;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return match;
}

}  // namespace bench
