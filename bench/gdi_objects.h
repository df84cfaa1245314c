// How many GDI objects a process holds. GetGuiResources answers that on
// Windows; Wine answers 0 there but keeps each process's objects in the
// handle table that the process environment block points to, one entry per
// object with a non-zero type, which this reads instead.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace bench {

// Answers -1 when neither way gives a figure.
inline long GdiObjectCount(HANDLE process) {
  if (DWORD count = GetGuiResources(process, GR_GDIOBJECTS)) return static_cast<long>(count);
#pragma pack(push, 1)
  struct HandleEntry {  // as wide in 32-bit as in 64-bit processes
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
  };
#pragma pack(pop)
  // The process environment block's GdiSharedHandleTable.
#ifdef _WIN64
  constexpr SIZE_T kTablePointerInPeb = 0xF8;
#else
  constexpr SIZE_T kTablePointerInPeb = 0x94;
#endif
  constexpr size_t kEntries = 0x10000;
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
  void* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + kTablePointerInPeb,
                         &table, sizeof table, &got) || !table)
    return -1;
  std::vector<HandleEntry> entries(kEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(HandleEntry), &got))
    return -1;
  long count = 0;
  for (const HandleEntry& entry : entries) count += entry.type != 0;
  return count;
}

}  // namespace bench
