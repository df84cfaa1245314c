#include "velora/playlists/whole_file.h"

#include <windows.h>

#include <algorithm>

#include "framework/handles.h"

namespace velora {

namespace {

constexpr DWORD kRetryStepMilliseconds = 50;

bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Retries a step while another process holds the file, for about a second.
template <typename Step>
auto WhileHeld(Step step) {
  DWORD waited = 0;
  for (;;) {
    auto result = step();
    if (result || !HeldByAnother(GetLastError()) || waited >= kLockedRetryMilliseconds)
      return result;
    Sleep(kRetryStepMilliseconds);
    waited += kRetryStepMilliseconds;
  }
}

fw::UniqueFile OpenExclusive(const std::string& path, DWORD access, DWORD disposition) {
  return WhileHeld([&] {
    return fw::UniqueFile(CreateFileA(path.c_str(), access, 0, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  });
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// The system's code for the failure that just happened; `fallback` when it gave none.
DWORD LastErrorOr(DWORD fallback) {
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, unsigned long* error) {
  unsigned long ignored = 0;
  if (!error) error = &ignored;
  *error = ERROR_SUCCESS;
  fw::UniqueFile file = OpenExclusive(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) {
    const DWORD why = GetLastError();
    if (why != ERROR_FILE_NOT_FOUND && why != ERROR_PATH_NOT_FOUND) *error = LastErrorOr(ERROR_OPEN_FAILED);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    // Part of a text is no text: a save must never take it for the whole file.
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      *error = LastErrorOr(ERROR_READ_FAULT);
      return std::nullopt;
    }
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
}

unsigned long ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  // A file the user made read-only stays as it is.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  std::string directory = DirectoryOf(path);
  char temporary[MAX_PATH] = {};
  if (!GetTempFileNameA(directory.c_str(), "vel", 0, temporary)) return LastErrorOr(ERROR_CANNOT_MAKE);
  DWORD error = ERROR_SUCCESS;
  {
    fw::UniqueFile file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error == ERROR_SUCCESS) {
    const bool moved = WhileHeld([&] {
      return MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
    if (!moved) error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error != ERROR_SUCCESS) DeleteFileA(temporary);
  return error;
}

}  // namespace velora
