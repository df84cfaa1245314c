// The setup program and its uninstaller, run silently as an administrator
// would, on a bench of their own: what lands in the Windows directory, the
// Start menu and the list of installed programs, what the uninstaller takes
// away and what it must leave (the user's playlists and settings).
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velora";
const char kDesktopKey[] = "Control Panel\\Desktop";
const char kUserKey[] = "Software\\Orvane Systems";
const char kPlaybackKey[] = "Software\\Orvane Systems\\velora\\PlayBack";
const char kFractalSection[] = "Screen Saver.Mandelbrot";
const std::vector<std::string> kPrograms = {"velora.scr", "fracsave.scr", "velpanel.exe"};
const std::string kPlaylists = "Velora PlayLists\r\n\r\n\a>Holiday\a\r\n C:\\CLIPS\\BEACH.AVI\r\n";
constexpr milliseconds kSetupTimeout{120000};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::optional<std::string> ReadString(HKEY root, const std::string& path, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char value[1024] = {};
  DWORD size = sizeof value - 1, type = 0;
  const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(value);
}

void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

void DeleteValue(HKEY root, const std::string& path, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

std::string ReadIni(const char* file, const char* section, const char* key) {
  char value[512] = {};
  GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
  return value;
}

// The Linux path Wine keeps a Windows file at, for Linux tools; empty when not
// running under Wine.
std::string LinuxPathOf(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return "";
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unixPath = toUnix(wide.c_str());
  if (!unixPath) return "";
  std::string path = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return path;
}

std::string InWindows(const std::string& name) { return WindowsDirectory() + "\\" + name; }

std::string LongPath(const std::string& path) {
  char full[MAX_PATH] = {};
  return GetLongPathNameA(path.c_str(), full, MAX_PATH) ? std::string(full) : path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(LongPath(a).c_str(), LongPath(b).c_str()) == 0;
}

std::string StartMenuFolder() {
  char programs[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::string(programs) + "\\Velora";
}

struct Shortcut {
  std::string target, arguments;
};

std::optional<Shortcut> ReadShortcut(const std::string& lnk) {
  CoInitialize(nullptr);
  std::optional<Shortcut> shortcut;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    std::wstring wide(lnk.begin(), lnk.end());
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
        char target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetArguments(arguments, MAX_PATH);
        shortcut = Shortcut{target, arguments};
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return shortcut;
}

class SetupProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = Environment("VELORA_SETUP");
    ASSERT_FALSE(setup_.empty()) << "VELORA_SETUP not set";
    setup_ = WindowsPathFromLinux(setup_);
    RemoveInstall();
    ForgetUserData();
  }
  void TearDown() override {
    RemoveInstall();
    ForgetUserData();
  }

  static bool Installed() { return KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }

  void RunSetup(const std::string& arguments) {
    Process setup = Process::Start(setup_, arguments);
    ASSERT_TRUE(setup.started());
    std::optional<DWORD> code = setup.WaitForExit(kSetupTimeout);
    ASSERT_TRUE(code.has_value()) << "setup still running";
    ASSERT_EQ(*code, 0u);
    ASSERT_TRUE(Installed());
  }

  // As the list of installed programs runs it. The uninstaller hands over to a
  // copy of itself and ends at once, so wait for its work instead.
  static void RunUninstaller() {
    const std::optional<std::string> command = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    ASSERT_TRUE(command.has_value());
    const std::string folder = InstallFolder();
    Process uninstaller = Process::StartCommandLine(*command);
    ASSERT_TRUE(uninstaller.started()) << *command;
    EXPECT_TRUE(WaitUntil([&] { return !Installed() && !FileExists(folder); }, kSetupTimeout))
        << "uninstall did not finish";
  }

  static void RemoveInstall() {
    if (Installed()) RunUninstaller();
  }

  static std::string InstallFolder() {
    return ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation").value_or("");
  }

  static void ForgetUserData() {
    DeleteFileIfPresent(PlaylistFilePath());
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    WritePrivateProfileStringA(kFractalSection, nullptr, nullptr, "CONTROL.INI");
    DeleteValue(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE");
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "system.ini");
  }

  std::string setup_;
};

TEST_F(SetupProgramTest, SilentSetupInstallsTheSuiteAndTheInstalledProgramsRun) {
  RunSetup("/S");

  DWORD programBytes = 0;
  for (const std::string& program : kPrograms) {
    SCOPED_TRACE(program);
    HANDLE file = CreateFileA(InWindows(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "not in the Windows directory";
    programBytes += GetFileSize(file, nullptr);
    CloseHandle(file);
  }

  // The entry of the list of installed programs.
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Velora Screen Savers");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), Environment("VELORA_VERSION"));
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "Orvane Systems");
  const std::optional<DWORD> size = ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
  ASSERT_TRUE(size.has_value());
  EXPECT_GE(*size, programBytes / 1024);
  const std::optional<std::string> uninstall = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  ASSERT_TRUE(uninstall.has_value());
  EXPECT_TRUE(FileExists(uninstall->substr(1, uninstall->size() - 2))) << *uninstall;
  // A signed release: setup writes an uninstaller signed with the same certificate.
  if (const std::string signer = Environment("VELORA_SIGNER"); !signer.empty()) {
    const std::string uninstaller = LinuxPathOf(uninstall->substr(1, uninstall->size() - 2));
    ASSERT_FALSE(uninstaller.empty());
    EXPECT_EQ(RunLinux("osslsigncode verify -CAfile '" + signer + "' -in '" + uninstaller + "' >/dev/null",
                       milliseconds(30000)),
              0)
        << "the uninstaller's signature does not verify";
  }

  // The Start menu: Velpanel, velora's setup and the uninstaller.
  const std::optional<Shortcut> panelShortcut = ReadShortcut(StartMenuFolder() + "\\Velora Control Panel.lnk");
  ASSERT_TRUE(panelShortcut.has_value());
  EXPECT_TRUE(SamePath(panelShortcut->target, InWindows("velpanel.exe"))) << panelShortcut->target;
  // velora's setup through Velpanel: the shell would start a shortcut to the
  // saver itself with the saver's own switch.
  const std::optional<Shortcut> settings = ReadShortcut(StartMenuFolder() + "\\Velora Screen Saver Settings.lnk");
  ASSERT_TRUE(settings.has_value());
  EXPECT_TRUE(SamePath(settings->target, InWindows("velpanel.exe"))) << settings->target;
  EXPECT_EQ(settings->arguments, "/c");
  const std::optional<Shortcut> remove = ReadShortcut(StartMenuFolder() + "\\Uninstall Velora.lnk");
  ASSERT_TRUE(remove.has_value());
  EXPECT_TRUE(SamePath(remove->target, uninstall->substr(1, uninstall->size() - 2)));

  // Without the option the current screen saver stays as it was.
  EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").has_value());

  Process saver = Process::Start(InWindows("velora.scr"), "/s");
  ASSERT_TRUE(saver.started());
  EXPECT_NE(WaitForWindow(saver.id(), "", "", milliseconds(30000)), nullptr) << "the installed saver shows no window";
  saver.Terminate();

  Process panel = Process::Start(InWindows("velpanel.exe"), "");
  ASSERT_TRUE(panel.started());
  EXPECT_NE(WaitForWindow(panel.id(), "", "Velora", milliseconds(30000)), nullptr) << "the installed Velpanel shows no window";

  // The settings entry opens velora's setup dialog and leaves no panel behind.
  Process entry = Process::Start(settings->target, settings->arguments);
  std::vector<WindowInfo> panelWindows;
  const std::optional<DWORD> entryCode = entry.WaitForExit(milliseconds(30000), &panelWindows);
  ASSERT_TRUE(entryCode.has_value()) << "the settings entry did not end";
  EXPECT_EQ(*entryCode, 0u);
  EXPECT_TRUE(panelWindows.empty());
  HWND setupDialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (setupDialog = FindWindowA("#32770", "Velora Setup")) != nullptr; },
                        milliseconds(30000)))
      << "no setup dialog";
  PostMessageA(setupDialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(setupDialog); }, milliseconds(30000)));
}

TEST_F(SetupProgramTest, CurrentSwitchMakesVeloraTheScreenSaver) {
  WriteString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", "0");
  RunSetup("/S /CURRENT");
  const std::optional<std::string> saver = ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE");
  ASSERT_TRUE(saver.has_value());
  EXPECT_TRUE(SamePath(*saver, InWindows("velora.scr"))) << *saver;
  // Switched on for good, as the user's profile keeps it.
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1");
}

TEST_F(SetupProgramTest, InstallingOverAnEarlierInstallKeepsThePlaylists) {
  RunSetup("/S");
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), kPlaylists));
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPlaybackKey, "Speed", 1500));
  RunSetup("/S");
  EXPECT_EQ(ReadFileBytes(PlaylistFilePath()), kPlaylists);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlaybackKey, "Speed"), 1500u);
  for (const std::string& program : kPrograms) EXPECT_TRUE(FileExists(InWindows(program))) << program;
}

// The current screen saver as the registry and, on older systems,
// system.ini name it before the uninstaller runs.
struct CurrentSaver {
  const char* path;
  bool ours;  // the uninstaller must unset it
};

class UninstallerTest : public SetupProgramTest, public ::testing::WithParamInterface<CurrentSaver> {};

TEST_P(UninstallerTest, RemovesTheSuiteKeepsTheUsersDataAndUnsetsOnlyOurSaver) {
  RunSetup("/S");
  const std::string folder = InstallFolder();
  ASSERT_TRUE(FileExists(folder));
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), kPlaylists));
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPlaybackKey, "Speed", 1500));
  ASSERT_TRUE(WritePrivateProfileStringA(kFractalSection, "FastGen", "1", "CONTROL.INI"));
  WriteString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", GetParam().path);
  ASSERT_TRUE(WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", GetParam().path, "system.ini"));

  RunUninstaller();

  for (const std::string& program : kPrograms) EXPECT_FALSE(FileExists(InWindows(program))) << program;
  EXPECT_FALSE(FileExists(StartMenuFolder()));
  EXPECT_FALSE(FileExists(folder));
  EXPECT_FALSE(Installed());

  EXPECT_EQ(ReadFileBytes(PlaylistFilePath()), kPlaylists);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlaybackKey, "Speed"), 1500u);
  EXPECT_EQ(ReadIni("CONTROL.INI", kFractalSection, "FastGen"), "1");

  const std::string kept = GetParam().ours ? "" : GetParam().path;
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").value_or(""), kept);
  EXPECT_EQ(ReadIni("system.ini", "boot", "SCRNSAVE.EXE"), kept);
}

INSTANTIATE_TEST_SUITE_P(CurrentSavers, UninstallerTest,
                         ::testing::Values(CurrentSaver{"C:\\WINDOWS\\VELORA.SCR", true},
                                           CurrentSaver{"C:\\windows\\fracsave.scr", true},
                                           CurrentSaver{"C:\\windows\\system32\\ssmystify.scr", false},
                                           // a copy of velora elsewhere stays in use
                                           CurrentSaver{"C:\\windows\\system32\\velora.scr", false}));

}  // namespace
}  // namespace e2e
