#pragma once
// Where a file of the Windows directory (velora.ini, CONTROL.INI) is kept for
// the user who runs the program. The x86 programs open the Windows directory's
// file and let the system decide: on a real PC a normal user's writes there
// are redirected to the per-user VirtualStore. The x64 programs are never
// redirected, so they follow the same copy themselves: the VirtualStore copy
// when there is one, else the Windows directory's file, and the VirtualStore
// copy once the Windows directory refuses a write. A user who moves from one
// build to the other keeps playlists, settings and password.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace fw {

// Whether this build follows the VirtualStore itself (the x64 programs).
constexpr bool kFollowsVirtualStore = sizeof(void*) == 8;

// "<localAppData>\VirtualStore\<path without its drive>", as the system names
// the redirected copy of `path`; empty when either is unusable.
std::string VirtualStoreCopyOf(std::string_view path, std::string_view localAppData);
// The copy of `path` this build follows: empty for the x86 build, or where the
// user has no local application data folder.
std::string FollowedVirtualStoreCopyOf(std::string_view path);

bool FileExists(const std::string& path);
// Whether the Windows directory refused `path` for this user, rather than the
// user having made the file read-only, which stays a failure as on x86.
bool RefusedByTheSystem(const std::string& path, DWORD error);
// Makes every missing folder above the file `path`.
void MakeFoldersFor(const std::string& path);

// A profile file of the Windows directory ("CONTROL.INI"), as the profile
// functions are to be given it.
class UserProfileFile {
 public:
  // A write at a profile file; answers the system's error code, 0 on success.
  using Write = std::function<DWORD(const char* file)>;

  // The file `name` at `windowsPath`, with its VirtualStore copy (empty: none).
  UserProfileFile(std::string name, std::string windowsPath, std::string virtualStoreCopy);
  // `name` in the Windows directory, with the copy this build follows.
  static UserProfileFile InWindowsDirectory(const char* name);

  // The file to read `section` from: the bare name where the system keeps the
  // section in the registry or the build leaves the choice to the system;
  // else the VirtualStore copy when it exists, or the Windows directory's file.
  std::string ForReading(const char* section) const;
  // Writes `section` where it is read; when the Windows directory refuses
  // (access denied), makes the VirtualStore folders and writes the copy there.
  DWORD Store(const char* section, const Write& write) const;

 private:
  std::string name_;
  std::string windowsPath_;
  std::string virtualStoreCopy_;
};

// Whether the system keeps `section` of the profile file `name` in the
// registry (IniFileMapping) rather than in the file: there the profile
// functions must be given the bare name, as the x86 programs give it.
bool SectionMappedToRegistry(const char* name, const char* section);

}  // namespace fw
