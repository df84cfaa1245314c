// velora.scr started as the system starts it: the mode letters, arguments
// that choose no mode, the change-password box and a start without arguments.
#include <string>
#include <vector>

#include "velora_test.h"

namespace e2e {
namespace {

using StartupTest = VeloraTest;

std::string DescribeAll(const std::vector<WindowInfo>& windows) {
  std::string text;
  for (const WindowInfo& window : windows)
    text += " [" + window.className + " \"" + window.title + "\"]";
  return text;
}

// Runs each command line and expects a quiet end: status 0 and no visible window.
class QuietStartupTest : public VeloraTest {
 protected:
  void ExpectQuiet(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
      SCOPED_TRACE("arguments: " + argument);
      std::vector<WindowInfo> windows;
      std::optional<DWORD> code = RunToExit(argument, &windows);
      ASSERT_TRUE(code.has_value()) << "still running after " << kExitTimeout.count() << " ms";
      EXPECT_EQ(*code, 0u);
      EXPECT_TRUE(windows.empty()) << "showed" << DescribeAll(windows);
    }
  }
};

TEST_F(QuietStartupTest, ArgumentsThatMatchNoModeEndAtOnce) {
  HostWindow host;
  ASSERT_NE(host.hwnd(), nullptr);
  // Only a whole argument of one letter selects a mode, so a handle glued to
  // the letter makes the argument match nothing.
  ExpectQuiet({"-s2", "--s", "/s:1", "-ss", "x", "-a" + host.HandleText()});
}

TEST_F(QuietStartupTest, PreviewAndPasswordWithoutAUsableHandleEndAtOnce) {
  HostWindow host;
  ASSERT_NE(host.hwnd(), nullptr);
  const std::string stale =
      std::to_string(reinterpret_cast<UINT_PTR>(StaleWindowHandle()));
  ASSERT_FALSE(IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoull(stale)))));
  // The handle is looked for after a lower-case letter only, so the capitals
  // select the mode and then find no handle, even a valid one.
  ExpectQuiet({"/P " + host.HandleText(), "/A " + host.HandleText(), "/p " + stale, "/a " + stale,
               "/p", "/a"});
}

TEST_F(StartupTest, FirstRunLeavesThePlayBackKeysWithoutValues) {
  std::vector<WindowInfo> windows;
  std::optional<DWORD> code = RunToExit("-x", &windows);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kPlayBackKey));
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
  EXPECT_FALSE(FileExists(PlaylistFilePath()));
}

// The one box of a process, once it is shown.
HWND WaitForOnlyBox(const Process& process) {
  HWND box = WaitForWindow(process.id(), "#32770", "", kStartTimeout);
  EXPECT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(TopLevelWindows(process.id()).size(), 1u);
  return box;
}

TEST_F(StartupTest, ChangePasswordShowsOneExclamationBoxAndWritesNothing) {
  HostWindow owner;
  ASSERT_NE(owner.hwnd(), nullptr);
  Start("/a " + owner.HandleText());
  HWND box = WaitForOnlyBox(velora);
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.text, "Change Password");
  EXPECT_EQ(info.caption, "velora");
  EXPECT_EQ(info.icon, BoxIcon::Exclamation) << ToString(info.icon);
  EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});

  PressKeys(box, "Return");
  std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
  ASSERT_TRUE(code.has_value()) << "Return did not close the box";
  EXPECT_EQ(*code, 0u);
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
  EXPECT_FALSE(FileExists(PlaylistFilePath()));
}

TEST_F(StartupTest, ChangePasswordWithTheBareLetterClosesOnAClickOnOk) {
  HostWindow owner;
  ASSERT_NE(owner.hwnd(), nullptr);
  Start("a " + owner.HandleText());
  HWND box = WaitForOnlyBox(velora);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReadMessageBox(box, milliseconds(0)).text, "Change Password");

  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(ok, nullptr);
  Click(ok);
  std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
  ASSERT_TRUE(code.has_value()) << "clicking OK did not close the box";
  EXPECT_EQ(*code, 0u);
}

TEST_F(StartupTest, WithoutArgumentsShowsTheStandaloneNotice) {
  Start("");
  HWND box = WaitForOnlyBox(velora);
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.text, "This is a screen saver and can not be run as a standalone executable.");
  EXPECT_EQ(info.caption, "velora");
  EXPECT_EQ(info.icon, BoxIcon::Information) << ToString(info.icon);
  EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});

  PressKeys(box, "Return");
  std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
  ASSERT_TRUE(code.has_value()) << "Return did not close the notice";
  EXPECT_EQ(*code, 0u);
}

}  // namespace
}  // namespace e2e
