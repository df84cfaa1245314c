// System libraries as a Windows PC gives them: a library put beside a program,
// in the current folder or on PATH under a system library's name never runs
// inside velora (every mode), Velpanel or fracsave; and a library loaded on
// first use that is missing ends the program cleanly.
//
// Wine prefers its own built-in libraries, where Windows takes the first file
// its search finds; the bench is told to prefer files for these programs, and
// CTL3D32.DLL, which no supported Windows has, is taken out of the system
// folder while the tests run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

const char* const kPlanted[] = {"CTL3D32.DLL", "COMCTL32.DLL", "SHELL32.dll", "MSVFW32.DLL", "AVIFIL32.DLL", "WINMM.DLL"};
const std::string kCompanyKey = "Software\\Orvane Systems";

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? WindowsPathFromLinux(value) : std::string();
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string OverridesKey(const std::string& program) {
  return "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
}

struct Start {
  const char* program;    // environment variable naming it
  const char* arguments;  // "<host>" stands for a window's handle
};

class PlantedLibraryTest : public ::testing::TestWithParam<Start> {
 protected:
  static void SetUpTestSuite() {
    std::string system = WindowsDirectory() + "\\system32\\ctl3d32.dll";
    MoveFileA(system.c_str(), (system + ".hidden").c_str());
  }
  static void TearDownTestSuite() {
    std::string system = WindowsDirectory() + "\\system32\\ctl3d32.dll";
    MoveFileA((system + ".hidden").c_str(), system.c_str());
  }

  void SetUp() override {
    program = FromEnvironment(GetParam().program);
    marker = FromEnvironment("MARKER_LIBRARY");
    ASSERT_FALSE(program.empty()) << GetParam().program << " must name the program";
    ASSERT_FALSE(marker.empty()) << "MARKER_LIBRARY must name the marker library";
    const std::string root = WindowsPathFromLinux(ScratchDirLinux()) + "\\planted";
    CreateDirectoryA(root.c_str(), nullptr);
    for (const char* place : {"program", "current", "path"}) {
      folders.push_back(root + "\\" + place);
      CreateDirectoryA(folders.back().c_str(), nullptr);
      for (const char* name : kPlanted) {
        DeleteFileIfPresent(folders.back() + "\\" + name + ".loaded");
        ASSERT_TRUE(CopyFileA(marker.c_str(), (folders.back() + "\\" + name).c_str(), FALSE));
      }
    }
    copy = folders[0] + "\\" + FileNameOf(program);
    ASSERT_TRUE(CopyFileA(program.c_str(), copy.c_str(), FALSE));
    for (const char* name : kPlanted) {
      std::string library(name, std::string(name).find('.'));
      HKEY key = nullptr;
      RegCreateKeyExA(HKEY_CURRENT_USER, OverridesKey(FileNameOf(copy)).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr);
      RegSetValueExA(key, library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
      RegCloseKey(key);
    }
    // A now-playing movie, so that the setup dialog asks the shell for its icon.
    WriteFileBytes(PlaylistFilePath(), "Velora PlayLists\r\n\r\n\a Planted\a\r\n>" + copy + "\r\n");
  }

  void TearDown() override {
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + FileNameOf(copy));
    DeleteKeyTree(HKEY_CURRENT_USER, kCompanyKey);
    DeleteFileIfPresent(PlaylistFilePath());
  }

  // Starts the copy from the current folder with the PATH folder first on
  // PATH, lets it come up, and ends it.
  void RunIt() {
    HostWindow host;
    std::string arguments = GetParam().arguments;
    if (auto at = arguments.find("<host>"); at != std::string::npos) arguments.replace(at, 6, host.HandleText());
    char oldFolder[MAX_PATH] = {}, oldPath[32768] = {};
    GetCurrentDirectoryA(MAX_PATH, oldFolder);
    GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
    SetCurrentDirectoryA(folders[1].c_str());
    SetEnvironmentVariableA("PATH", (folders[2] + ";" + oldPath).c_str());
    Process process = Process::Start(copy, arguments);
    SetCurrentDirectoryA(oldFolder);
    SetEnvironmentVariableA("PATH", oldPath);
    ASSERT_TRUE(process.started());
    WaitUntil([&] { return !TopLevelWindows(process.id()).empty() || !process.Running(); }, milliseconds(5000));
    process.WaitForInputIdle(milliseconds(3000));
    process.WaitForExit(milliseconds(500));
  }

  std::string Loaded() const {
    std::string loaded;
    for (const std::string& folder : folders)
      for (const std::string& file : FilesIn(folder))
        if (file.size() > 7 && file.substr(file.size() - 7) == ".loaded") loaded += folder + "\\" + file + " ";
    return loaded;
  }

  std::string program, marker, copy;
  std::vector<std::string> folders;  // the program's, the current one, the one on PATH
};

TEST_P(PlantedLibraryTest, NeverLoadsALibraryPutWhereASearchByNameLooks) {
  ASSERT_NO_FATAL_FAILURE(RunIt());
  EXPECT_EQ(Loaded(), "") << FileNameOf(copy) << " " << GetParam().arguments << " loaded them";
}

INSTANTIATE_TEST_SUITE_P(
    EveryProgramAndMode, PlantedLibraryTest,
    ::testing::Values(Start{"VELORA_SCR", "/c"}, Start{"VELORA_SCR", "/s"}, Start{"VELORA_SCR", "/v"},
                      Start{"VELORA_SCR", "/p <host>"}, Start{"VELORA_SCR", "/a <host>"}, Start{"VELORA_SCR", ""},
                      Start{"VELPANEL_EXE", ""}, Start{"FRACSAVE_SCR", "/s"}, Start{"FRACSAVE_SCR", "/c"}));

// A library loaded on first use that the system lacks: a box that names it and
// exit code 0, or, as in velora's preview, exit code 0 alone.
TEST(DelayedLibrary, AMissingOneEndsTheProgramWithABoxNamingIt) {
  const std::string probe = FromEnvironment("MISSING_LIBRARY_PROBE");
  ASSERT_FALSE(probe.empty()) << "MISSING_LIBRARY_PROBE must name the probe";
  Process loud = Process::Start(probe, "");
  ASSERT_TRUE(loud.started());
  HWND box = WaitForWindow(loud.id(), "#32770", "", milliseconds(10000));
  ASSERT_NE(box, nullptr) << "no message box; exit code " << loud.WaitForExit(milliseconds(0)).value_or(259);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_NE(info.text.find("VELORA_MISSING.DLL"), std::string::npos) << info.text;
  EXPECT_EQ(info.icon, BoxIcon::Error);
  Click(GetDlgItem(box, IDOK));
  EXPECT_EQ(loud.WaitForExit(milliseconds(10000)), 0u);

  std::vector<WindowInfo> seen;
  Process quiet = Process::Start(probe, "/p");
  ASSERT_TRUE(quiet.started());
  EXPECT_EQ(quiet.WaitForExit(milliseconds(10000), &seen), 0u);
  EXPECT_TRUE(seen.empty()) << seen.size() << " windows, the first " << seen[0].title;
}

}  // namespace
}  // namespace e2e
