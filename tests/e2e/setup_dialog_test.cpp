// The configuration mode as the user meets it: the setup dialog, its OK and
// Cancel, the Delete key, and what they leave in the playlist file and the
// registry. Tree contents are checked through the saved file, the tree's shape
// through messages that carry no pointers (they cross process boundaries).
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "velora/resources/resource_ids.h"
#include "velora_test.h"

namespace e2e {
namespace {

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(
      Ask(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

int TreeCount(HWND tree) { return static_cast<int>(Ask(tree, TVM_GETCOUNT)); }

class SetupDialogTest : public VeloraTest {
 protected:
  // Starts the configuration mode and waits until its dialog takes input.
  void Open() {
    ASSERT_NO_FATAL_FAILURE(Start("/c"));
    dialog = WaitForWindow(velora.id(), "#32770", "Velora Setup", kStartTimeout);
    ASSERT_NE(dialog, nullptr) << "the setup dialog did not appear";
    tree = GetDlgItem(dialog, IDC_PLAYLIST_TREE);
    ASSERT_NE(tree, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FocusOfThreadOf(dialog) != nullptr; }, kStartTimeout));
    velora.WaitForInputIdle(kStartTimeout);
  }

  void ExpectEndsWith0() {
    std::optional<DWORD> code = velora.WaitForExit(kExitTimeout);
    ASSERT_TRUE(code.has_value()) << "the setup dialog did not end";
    EXPECT_EQ(*code, 0u);
  }

  bool WaitForTreeCount(int count) {
    return WaitUntil([&] { return TreeCount(tree) == count; }, milliseconds(5000));
  }

  // The centre of the icon of the tree item shown in the given row, at the
  // given depth (0 for the root).
  POINT IconInRow(int row, int depth = 0) {
    RECT client = ClientRectOnScreen(tree);
    const int height = static_cast<int>(Ask(tree, TVM_GETITEMHEIGHT));
    const int indent = static_cast<int>(Ask(tree, TVM_GETINDENT));
    return POINT{client.left + (depth + 1) * indent + 8, client.top + row * height + height / 2};
  }

  void ExpectPlaybackDefaultsWritten() {
    EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 5);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Reverse"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Mute"), 0u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Zoom"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Speed"), 1000u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Center"), 0u);
  }

  static std::string Saved() { return ReadFileBytes(PlaylistFilePath()).value_or("<no file>"); }

  // Add Movie applies to a playlist only, Set to anything inside the root.
  void ExpectButtonsFollowTheSelection() {
    HTREEITEM selected = TreeItem(tree, TVGN_CARET);
    HTREEITEM parent = selected ? TreeItem(tree, TVGN_PARENT, selected) : nullptr;
    const bool playlist = parent && parent == TreeItem(tree, TVGN_ROOT);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)) != FALSE, playlist)
        << (selected ? "with an item selected" : "with nothing selected");
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_SET)) != FALSE, parent != nullptr)
        << (selected ? "with an item selected" : "with nothing selected");
  }

  HWND dialog = nullptr;
  HWND tree = nullptr;
};

const char kHeader[] = "Velora PlayLists\r\n";

// Written by hand, not by velora: playlists out of order, LF line ends, a
// movie before the first playlist, stray blank lines and two marked playlists.
const std::string kUntidyFile =
    "Velora PlayLists\n"
    " C:\\clips\\stray.avi\n"
    "\n"
    "\a>Zebra\a\n"
    " C:\\clips\\zebra 1.avi\n"
    " C:\\clips\\zebra 2.avi\n"
    "\n"
    "\n"
    "\a>Mango\a\n"
    " C:\\clips\\mango.avi\n"
    "\a Apple\a\n"
    " C:\\clips\\apple 2.avi\n"
    " C:\\clips\\apple 1.avi\n"
    "\n";
// root, the stray movie, three playlists and five movies
constexpr int kUntidyItems = 10;

// The same after a load and a save: sorted playlists, CR LF, the last mark
// only, no stray movie.
const std::string kUntidyFileSaved =
    "Velora PlayLists\r\n"
    "\r\n"
    "\a Apple\a\r\n"
    " C:\\clips\\apple 2.avi\r\n"
    " C:\\clips\\apple 1.avi\r\n"
    "\r\n"
    "\a>Mango\a\r\n"
    " C:\\clips\\mango.avi\r\n"
    "\r\n"
    "\a Zebra\a\r\n"
    " C:\\clips\\zebra 1.avi\r\n"
    " C:\\clips\\zebra 2.avi\r\n";

// Three playlists; `beta` is Beta's mark.
std::string ThreePlaylists(char beta) {
  return std::string(kHeader) +
         "\r\n\a Alpha\a\r\n C:\\clips\\a.avi\r\n"
         "\r\n\a" + beta + "Beta\a\r\n C:\\clips\\b1.avi\r\n C:\\clips\\b2.avi\r\n"
         "\r\n\a Gamma\a\r\n";
}
constexpr int kThreePlaylistsItems = 7;

TEST_F(SetupDialogTest, FirstOpenShowsTheDialogAndCancelWritesNothing) {
  ASSERT_NO_FATAL_FAILURE(Open());
  WindowInfo info = Describe(dialog);
  EXPECT_EQ(info.className, "#32770");
  EXPECT_TRUE(info.style & WS_CAPTION);
  EXPECT_FALSE(info.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  for (int id : {IDOK, IDCANCEL, IDC_PLAYLIST_TREE, IDC_ADD_PLAYLIST, IDC_ADD_MOVIE, IDC_OPTIONS,
                 IDC_ABOUT, IDC_SET, IDC_NOW_PLAYING})
    EXPECT_NE(GetDlgItem(dialog, id), nullptr) << "control " << id;
  EXPECT_EQ(ClassOf(tree), WC_TREEVIEWA);
  EXPECT_EQ(ClassOf(GetDlgItem(dialog, IDC_NOW_PLAYING)), WC_LISTVIEWA);

  // Nothing to act on yet: only the root, nothing selected or now playing.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_PLAYLIST)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPTIONS)));
  EXPECT_EQ(FocusOfThreadOf(dialog), GetDlgItem(dialog, IDOK));
  EXPECT_EQ(TreeCount(tree), 1);
  EXPECT_EQ(TreeItem(tree, TVGN_CARET), nullptr);
  EXPECT_EQ(Ask(GetDlgItem(dialog, IDC_NOW_PLAYING), LVM_GETITEMCOUNT), 0);

  // It is really on the screen: dialog face around a tree in the window colour.
  const Rgb face = RgbFromColorRef(GetSysColor(COLOR_BTNFACE));
  const Rgb window = RgbFromColorRef(GetSysColor(COLOR_WINDOW));
  RECT dialogArea = ClientRectOnScreen(dialog), treeArea = ClientRectOnScreen(tree);
  auto area = [](const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); };
  EXPECT_TRUE(WaitUntil(
      [&] {
        Screenshot screen = Screenshot::TakeRoot();
        return screen.Count(dialogArea, face) * 4 > area(dialogArea) &&
               screen.Count(treeArea, window) * 10 > area(treeArea) * 8;
      },
      milliseconds(5000), milliseconds(200)))
      << "the dialog is not drawn on the screen";

  Click(GetDlgItem(dialog, IDCANCEL));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_FALSE(FileExists(PlaylistFilePath()));
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
}

TEST_F(SetupDialogTest, OkOnFirstRunWritesTheHeaderAndTheDefaultSettings) {
  ASSERT_NO_FATAL_FAILURE(Open());
  PressKeys(dialog, "Return");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), kHeader);
  ExpectPlaybackDefaultsWritten();
}

TEST_F(SetupDialogTest, CancelLeavesThePlaylistFileByteForByte) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), kUntidyFile));
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_TRUE(WaitForTreeCount(kUntidyItems));
  PressKeys(dialog, "Escape");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), kUntidyFile);
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
}

TEST_F(SetupDialogTest, OkRewritesThePlaylistFileInItsOwnForm) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), kUntidyFile));
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_TRUE(WaitForTreeCount(kUntidyItems));
  // The marked playlist is selected, so Set applies and Add Movie too.
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET)));
  EXPECT_EQ(Ask(GetDlgItem(dialog, IDC_NOW_PLAYING), LVM_GETITEMCOUNT), 1);
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), kUntidyFileSaved);
  ExpectPlaybackDefaultsWritten();
  // The stray movie is not saved, so the file as it was stays beside the new one.
  EXPECT_EQ(ReadFileBytes(PlaylistFilePath() + ".bak"), kUntidyFile);
}

TEST_F(SetupDialogTest, OkKeepsThePlaylistsOfAFileSavedWithAByteOrderMark) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), "\xEF\xBB\xBF" + ThreePlaylists('>')));
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_TRUE(WaitForTreeCount(kThreePlaylistsItems));
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), ThreePlaylists('>'));
  EXPECT_FALSE(FileExists(PlaylistFilePath() + ".bak"));  // nothing was lost
}

TEST_F(SetupDialogTest, AMarkedMovieIsTheOnlyMarkAfterOk) {
  // The movie is the last marked line, so it wins over the marked playlist.
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), std::string(kHeader) +
                                                     "\r\n\a>Sea\a\r\n C:\\clips\\wave.avi\r\n"
                                                     "\r\n\a Nature\a\r\n C:\\clips\\fish.avi\r\n"
                                                     ">C:\\clips\\birds.avi\r\n"));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(WaitForTreeCount(6));
  // The movie is selected, under Nature, which sorts first.
  HTREEITEM nature = TreeItem(tree, TVGN_CHILD, TreeItem(tree, TVGN_ROOT));
  HTREEITEM selected = TreeItem(tree, TVGN_CARET);
  EXPECT_NE(selected, nullptr) << "the marked movie is not selected";
  if (selected) {
    EXPECT_EQ(TreeItem(tree, TVGN_PARENT, selected), nature);
  }
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET)));

  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), std::string(kHeader) +
                         "\r\n\a Nature\a\r\n C:\\clips\\fish.avi\r\n>C:\\clips\\birds.avi\r\n"
                         "\r\n\a Sea\a\r\n C:\\clips\\wave.avi\r\n");
}

TEST_F(SetupDialogTest, TheMarkStaysWithItsPlaylistWhenThePlaylistsAreSorted) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), std::string(kHeader) +
                                                     "\r\n\a Cherry\a\r\n"
                                                     "\r\n\a>Apple\a\r\n"
                                                     "\r\n\a Banana\a\r\n"));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(WaitForTreeCount(4));
  // Apple sorts first, and it is the one selected.
  HTREEITEM apple = TreeItem(tree, TVGN_CHILD, TreeItem(tree, TVGN_ROOT));
  EXPECT_EQ(TreeItem(tree, TVGN_CARET), apple);
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), std::string(kHeader) + "\r\n\a>Apple\a\r\n\r\n\a Banana\a\r\n\r\n\a Cherry\a\r\n");
}

TEST_F(SetupDialogTest, DeleteKeyDeletesTheSelectedPlaylistWhateverHasTheFocus) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), ThreePlaylists('>')));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(WaitForTreeCount(kThreePlaylistsItems));
  ASSERT_EQ(FocusOfThreadOf(dialog), GetDlgItem(dialog, IDOK));
  ASSERT_NE(TreeItem(tree, TVGN_CARET), nullptr) << "the marked playlist is not selected";

  PressKeys(dialog, "Delete");
  // Beta goes with its two movies; the now playing box keeps showing it.
  ASSERT_TRUE(WaitForTreeCount(kThreePlaylistsItems - 3)) << TreeCount(tree) << " items";
  EXPECT_EQ(Ask(GetDlgItem(dialog, IDC_NOW_PLAYING), LVM_GETITEMCOUNT), 1);
  ExpectButtonsFollowTheSelection();

  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  // Nothing is now playing any more, so no line carries the mark.
  EXPECT_EQ(Saved(), std::string(kHeader) +
                         "\r\n\a Alpha\a\r\n C:\\clips\\a.avi\r\n"
                         "\r\n\a Gamma\a\r\n");
}

TEST_F(SetupDialogTest, DeleteKeyKeepsTheRootAndDeletesAPlaylistChosenWithTheKeys) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), ThreePlaylists(' ')));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(WaitForTreeCount(kThreePlaylistsItems));
  HTREEITEM root = TreeItem(tree, TVGN_ROOT);
  ASSERT_NE(root, nullptr);

  POINT rootIcon = IconInRow(0);
  ClickAt(tree, rootIcon.x, rootIcon.y);
  ASSERT_TRUE(WaitUntil([&] { return TreeItem(tree, TVGN_CARET) == root; }, milliseconds(5000)))
      << "clicking the root did not select it";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SET)));

  // Delete on the root, then open it and step to its first playlist; once
  // Alpha is selected the Delete before it has been handled.
  PressKeys(dialog, "Delete Right Down");
  HTREEITEM alpha = TreeItem(tree, TVGN_CHILD, root);
  ASSERT_TRUE(WaitUntil([&] { return alpha && TreeItem(tree, TVGN_CARET) == alpha; },
                        milliseconds(5000)))
      << "the keys did not reach the tree";
  EXPECT_EQ(TreeItem(tree, TVGN_ROOT), root);
  EXPECT_EQ(TreeCount(tree), kThreePlaylistsItems);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_MOVIE)));

  PressKeys(dialog, "Delete");
  ASSERT_TRUE(WaitForTreeCount(kThreePlaylistsItems - 2)) << TreeCount(tree) << " items";
  PressKeys(dialog, "Return");
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), std::string(kHeader) +
                         "\r\n\a Beta\a\r\n C:\\clips\\b1.avi\r\n C:\\clips\\b2.avi\r\n"
                         "\r\n\a Gamma\a\r\n");
}

TEST_F(SetupDialogTest, ContextMenuDeletesTheMovieClickedAndADragMovesTheNowPlayingMovie) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), std::string(kHeader) +
                                                     "\a Sea\a\r\n C:\\clips\\a.avi\r\n>C:\\clips\\b.avi\r\n"
                                                     " C:\\clips\\c.avi\r\n\a Nature\a\r\n C:\\clips\\n.avi\r\n"));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(WaitForTreeCount(7));
  // Rows: Play Lists, Nature (collapsed), Sea, a, b (marked, so selected), c.
  HTREEITEM root = TreeItem(tree, TVGN_ROOT);
  HTREEITEM nature = TreeItem(tree, TVGN_CHILD, root);
  HTREEITEM b = TreeItem(tree, TVGN_CARET);
  ASSERT_NE(b, nullptr) << "the marked movie is not selected";

  // Right click a, which is not selected, and choose the menu's first item, Delete.
  POINT a = IconInRow(3, 2);
  ClickAt(tree, a.x, a.y, 3);
  HWND menu = WaitForWindow(velora.id(), "#32768", "", kStartTimeout);
  ASSERT_NE(menu, nullptr) << "no context menu";
  RECT items = Describe(menu).rect;
  ClickAt(menu, (items.left + items.right) / 2, items.top + 6);
  ASSERT_TRUE(WaitForTreeCount(6)) << TreeCount(tree) << " items";
  EXPECT_EQ(TreeItem(tree, TVGN_CARET), b) << "the selection changed";

  // Drag b, now in row 3, onto Nature: press, move in steps, release once
  // Nature shows the drop highlight.
  const POINT from = IconInRow(3, 2), to = IconInRow(1, 1);
  MoveMouseTo(tree, from.x, from.y);
  PressButton(tree);
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i)
    MoveMouseTo(tree, from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
  const bool highlighted = WaitUntil([&] { return TreeItem(tree, TVGN_DROPHILITE) == nature; }, milliseconds(5000));
  ReleaseButton(tree);
  ASSERT_TRUE(highlighted) << "Nature is not highlighted as the drop target";
  // The moved movie is selected, as Nature's first.
  ASSERT_TRUE(WaitUntil(
      [&] {
        HTREEITEM selected = TreeItem(tree, TVGN_CARET);
        return selected && selected == TreeItem(tree, TVGN_CHILD, nature);
      },
      milliseconds(5000)))
      << "the movie did not move into Nature";

  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(Saved(), std::string(kHeader) +
                         "\r\n\a Nature\a\r\n>C:\\clips\\b.avi\r\n C:\\clips\\n.avi\r\n"
                         "\r\n\a Sea\a\r\n C:\\clips\\c.avi\r\n");
}

TEST_F(SetupDialogTest, OkWhileAnotherProgramHoldsThePlaylistFileSaysSoAndSavesOnceItIsFree) {
  const std::string old = ThreePlaylists('>');
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), old));
  const std::vector<std::string> filesBefore = FilesIn(WindowsDirectory());
  ASSERT_NO_FATAL_FAILURE(Open());
  ExclusiveFileLock lock(PlaylistFilePath());
  ASSERT_TRUE(lock.held());
  // Gamma becomes now playing, so that the second OK has something to save.
  HTREEITEM alpha = TreeItem(tree, TVGN_CHILD, TreeItem(tree, TVGN_ROOT));
  HTREEITEM gamma = TreeItem(tree, TVGN_NEXT, TreeItem(tree, TVGN_NEXT, alpha));
  ASSERT_NE(gamma, nullptr);
  Ask(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(gamma));
  Click(GetDlgItem(dialog, IDC_SET));
  Click(GetDlgItem(dialog, IDOK));

  // The box is the setup dialog's, names the file and the system's reason.
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND w : TopLevelWindows(velora.id()))
      if (GetWindow(w, GW_OWNER) == dialog && ClassOf(w) == "#32770") box = w;
    return box != nullptr;
  }, kStartTimeout)) << "no message box";
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.icon, BoxIcon::Exclamation);
  EXPECT_NE(info.text.find("could not be saved"), std::string::npos) << info.text;
  EXPECT_NE(info.text.find(PlaylistFilePath()), std::string::npos) << info.text;
  EXPECT_NE(info.text.find("haring violation"), std::string::npos) << info.text;
  Click(GetDlgItem(box, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, milliseconds(5000)));
  EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed although nothing was saved";
  EXPECT_EQ(FilesIn(WindowsDirectory()), filesBefore) << "a file was left behind";
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0) << "settings stored without the playlists";

  lock.Release();
  EXPECT_EQ(Saved(), old);
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  std::string saved = ThreePlaylists(' ');
  saved.replace(saved.find("\a Gamma"), 2, "\a>");
  EXPECT_EQ(Saved(), saved);
  ExpectPlaybackDefaultsWritten();
}

// Options: reverse on and 200%, then OK in the Options box.
class OptionsFlowTest : public SetupDialogTest {
 protected:
  void ChangeOptions() {
    Click(GetDlgItem(dialog, IDC_OPTIONS));
    HWND options = WaitForWindow(velora.id(), "#32770", "Options", kStartTimeout);
    ASSERT_NE(options, nullptr) << "the Options box did not appear";
    Click(GetDlgItem(options, IDC_REVERSE));
    Click(GetDlgItem(options, IDC_ZOOM_200));
    ASSERT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(options, IDC_ZOOM_200) == BST_CHECKED; },
                          milliseconds(5000)));
    Click(GetDlgItem(options, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, milliseconds(5000)));
  }
};

TEST_F(OptionsFlowTest, SetupCancelAfterOptionsWritesNothing) {
  ASSERT_TRUE(WriteFileBytes(PlaylistFilePath(), ThreePlaylists('>')));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(ChangeOptions());
  Click(GetDlgItem(dialog, IDCANCEL));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 0);
  EXPECT_EQ(Saved(), ThreePlaylists('>'));
}

TEST_F(OptionsFlowTest, SetupOkAfterOptionsWritesAllFiveValues) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(ChangeOptions());
  Click(GetDlgItem(dialog, IDOK));
  ASSERT_NO_FATAL_FAILURE(ExpectEndsWith0());
  EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kPlayBackKey), 5);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Reverse"), 1u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Mute"), 0u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Zoom"), 2u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Speed"), 1000u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kPlayBackKey, "Center"), 0u);
}

}  // namespace
}  // namespace e2e
