// The setup dialog in-process: real tree and list controls, driven with
// messages while the dialog runs modally.
#include "velora/setup/setup_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <dlgs.h>
#include <vfw.h>

#include "velora/resources/resource_ids.h"
#include "velora/shell/saver_app.h"

namespace velora {
namespace {

// Steps to run once a modal window is up, each on the next timer tick.
std::vector<std::function<void()>> pendingSteps;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (pendingSteps.empty()) return;
  auto step = std::move(pendingSteps.front());
  pendingSteps.erase(pendingSteps.begin());
  if (!pendingSteps.empty()) SetTimer(nullptr, 0, 20, &RunNextStep);
  step();
}

void Then(std::function<void()> step) {
  pendingSteps.push_back(std::move(step));
  if (pendingSteps.size() == 1) SetTimer(nullptr, 0, 20, &RunNextStep);
}

class TestApp : public SaverApp {
 protected:
  bool InitInstance() override { return false; }
};

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    directory = temp;
    path = directory + "velora-setup-test.ini";
    existing = directory + "velora-existing.avi";
    WriteFile(existing, "not really a movie");
    pendingSteps.clear();
  }
  void TearDown() override {
    DeleteFileA(path.c_str());
    DeleteFileA((path + ".bak").c_str());
    DeleteFileA(existing.c_str());
  }
  static void WriteFile(const std::string& file, const std::string& bytes) {
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }
  std::string Saved() {
    return PlaylistFile(path).ReadBytes().value_or("<none>");
  }

  // Opens the dialog on `file`, runs `body` while it is up, then ends it with `close`.
  INT_PTR Run(const std::string& file, std::function<void(SetupDialog&)> body, int close = IDCANCEL) {
    WriteFile(path, file);
    SetupDialog dialog{PlaylistFile(path)};
    Then([&] {
      body(dialog);
      Then([&dialog, close] { PostMessageA(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(close, BN_CLICKED), 0); });
    });
    return dialog.DoModal();
  }

  // The tree as text: one line an item, indented by depth; movies with their image.
  static std::string Tree(SetupDialog& d) {
    std::string out;
    std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM item, int depth) {
      for (; item; item = TreeView_GetNextSibling(d.playlistTree, item)) {
        out += std::string(depth * 2, ' ') + d.ItemLabel(item);
        if (d.PathOf(item)) out += " [" + std::to_string(d.ItemImage(item)) + "]";
        out += "\n";
        walk(TreeView_GetChild(d.playlistTree, item), depth + 1);
      }
    };
    walk(TreeView_GetRoot(d.playlistTree), 0);
    return out;
  }
  static HTREEITEM Find(SetupDialog& d, const std::string& label) {
    HTREEITEM found = nullptr;
    std::function<void(HTREEITEM)> walk = [&](HTREEITEM item) {
      for (; item && !found; item = TreeView_GetNextSibling(d.playlistTree, item)) {
        if (d.ItemLabel(item) == label) found = item;
        walk(TreeView_GetChild(d.playlistTree, item));
      }
    };
    walk(TreeView_GetRoot(d.playlistTree));
    return found;
  }
  static std::string NowPlayingBox(SetupDialog& d) {
    if (ListView_GetItemCount(d.nowPlayingBox) == 0) return "<empty>";
    char text[300] = {};
    ListView_GetItemText(d.nowPlayingBox, 0, 0, text, sizeof text);
    return text;
  }
  static bool Enabled(SetupDialog& d, int id) { return IsWindowEnabled(d.Item(id)) != 0; }
  static void Select(SetupDialog& d, HTREEITEM item) { TreeView_SelectItem(d.playlistTree, item); }

  TestApp app;
  std::string directory, path, existing;
};

const std::string kHeader = "Velora PlayLists\r\n";

TEST_F(SetupDialogTest, LoadShowsPlaylistsSortedMoviesInOrderStraysAndMissingFiles) {
  std::string tree, box;
  Run(kHeader + " Z:\\stray.avi\r\n\a Sea\a\r\n Z:\\b.avi\r\n Z:\\a.avi\r\n\a>apple\a\r\n " + existing +
          "\r\n",
      [&](SetupDialog& d) {
        TreeView_Expand(d.playlistTree, d.rootItem, TVE_EXPAND);
        TreeView_Expand(d.playlistTree, Find(d, "Sea"), TVE_EXPAND);
        tree = Tree(d);
        box = NowPlayingBox(d);
      });
  // Missing files show their full path and the red cross (image 3); an existing
  // one shows the name the shell gives it.
  EXPECT_EQ(tree,
            "Play Lists\n"
            "  apple\n"
            "    velora-existing.avi [4]\n"
            "  Sea\n"
            "    Z:\\b.avi [3]\n"
            "    Z:\\a.avi [3]\n"
            "Z:\\stray.avi [3]\n");
  EXPECT_EQ(box, "apple");
}

TEST_F(SetupDialogTest, ButtonsFollowTheKindOfSelection) {
  std::vector<std::pair<bool, bool>> states;
  Run(kHeader + "\a Sea\a\r\n Z:\\a.avi\r\n", [&](SetupDialog& d) {
    auto note = [&] { states.push_back({Enabled(d, IDC_ADD_MOVIE), Enabled(d, IDC_SET)}); };
    note();  // nothing selected
    Select(d, d.rootItem);
    note();
    Select(d, Find(d, "Sea"));
    note();
    Select(d, Find(d, "Z:\\a.avi"));
    note();
  });
  EXPECT_EQ(states, (std::vector<std::pair<bool, bool>>{{false, false}, {false, false}, {true, true}, {false, true}}));
}

TEST_F(SetupDialogTest, SetMakesTheSelectionNowPlayingAndOkSavesItAlone) {
  std::string box;
  Run(kHeader + "\a>Sea\a\r\n Z:\\a.avi\r\n Z:\\b.avi\r\n", [&](SetupDialog& d) {
    Select(d, Find(d, "Z:\\b.avi"));
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SET, BN_CLICKED), 0);
    box = NowPlayingBox(d);
  }, IDOK);
  EXPECT_EQ(box, "Z:\\b.avi");
  EXPECT_EQ(Saved(), kHeader + "\r\n\a Sea\a\r\n Z:\\a.avi\r\n>Z:\\b.avi\r\n");
}

TEST_F(SetupDialogTest, RenameAcceptedWithEnterKeptWithEscapeAndNowPlayingEitherWay) {
  std::string afterEnter, afterEscape, boxAfterEscape;
  Run(kHeader + "\a Sea\a\r\n\a Nature\a\r\n", [&](SetupDialog& d) {
    HTREEITEM sea = Find(d, "Sea");
    Select(d, sea);
    ASSERT_NE(TreeView_EditLabel(d.playlistTree, sea), nullptr);
    HWND edit = TreeView_GetEditControl(d.playlistTree);
    ASSERT_NE(edit, nullptr);
    // The edit box wants Enter and Escape itself.
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
    SetWindowTextA(edit, "Ocean");
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    afterEnter = Tree(d);

    HTREEITEM nature = Find(d, "Nature");
    ASSERT_NE(TreeView_EditLabel(d.playlistTree, nature), nullptr);
    edit = TreeView_GetEditControl(d.playlistTree);
    SetWindowTextA(edit, "Forest");
    SendMessageA(edit, WM_CHAR, VK_ESCAPE, 0);
    afterEscape = Tree(d);
    boxAfterEscape = NowPlayingBox(d);
  }, IDOK);
  // Renamed in place: not sorted again.
  EXPECT_EQ(afterEnter, "Play Lists\n  Nature\n  Ocean\n");
  EXPECT_EQ(afterEscape, afterEnter);
  // The selected item, not the one edited, becomes now playing.
  EXPECT_EQ(boxAfterEscape, "Ocean");
  EXPECT_EQ(Saved(), kHeader + "\r\n\a Nature\a\r\n\r\n\a>Ocean\a\r\n");
}

TEST_F(SetupDialogTest, MoviesAndTheRootCannotBeRenamed) {
  bool movieEdit = true, rootEdit = true;
  Run(kHeader + "\a Sea\a\r\n Z:\\a.avi\r\n", [&](SetupDialog& d) {
    movieEdit = TreeView_EditLabel(d.playlistTree, Find(d, "Z:\\a.avi")) != nullptr;
    rootEdit = TreeView_EditLabel(d.playlistTree, d.rootItem) != nullptr;
  });
  EXPECT_FALSE(movieEdit);
  EXPECT_FALSE(rootEdit);
}

TEST_F(SetupDialogTest, DeleteRemovesTheItemButNeverTheRoot) {
  std::string tree;
  Run(kHeader + "\a>Sea\a\r\n Z:\\a.avi\r\n\a Nature\a\r\n", [&](SetupDialog& d) {
    d.DeleteItem(d.rootItem);
    d.DeleteItem(Find(d, "Sea"));
    tree = Tree(d);
  }, IDOK);
  EXPECT_EQ(tree, "Play Lists\n  Nature\n");
  // The now-playing playlist went with it: nothing is marked.
  EXPECT_EQ(Saved(), kHeader + "\r\n\a Nature\a\r\n");
}

TEST_F(SetupDialogTest, AddPlaylistAcceptsEmptyAndDuplicateNamesAndCutsLongOnes) {
  std::string tree;
  auto addPlaylist = [](SetupDialog& d, const std::string& name) {
    Then([name] {
      HWND box = FindWindowA(nullptr, "Add Playlist");
      SetDlgItemTextA(box, IDC_PLAYLIST_NAME, name.c_str());
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ADD_PLAYLIST, BN_CLICKED), 0);
  };
  Run(kHeader + "\a Sea\a\r\n", [&](SetupDialog& d) {
    addPlaylist(d, "");
    addPlaylist(d, "Sea");
    addPlaylist(d, std::string(300, 'x'));
    tree = Tree(d);
  }, IDOK);
  EXPECT_EQ(tree, "Play Lists\n  \n  Sea\n  Sea\n  " + std::string(250, 'x') + "\n");
}

TEST_F(SetupDialogTest, LocationShowsThePathReadOnly) {
  std::string shown;
  LONG style = 0;
  Run(kHeader + "\a Sea\a\r\n Z:\\clips\\a.avi\r\n", [&](SetupDialog& d) {
    d.contextItem = Find(d, "Sea");
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_LOCATION, 0);  // a playlist: nothing
    d.contextItem = Find(d, "Z:\\clips\\a.avi");
    Then([&] {
      HWND box = FindWindowA(nullptr, "Movie Location");
      char text[300] = {};
      GetDlgItemTextA(box, IDC_MOVIE_LOCATION, text, sizeof text);
      shown = text;
      style = GetWindowLongA(GetDlgItem(box, IDC_MOVIE_LOCATION), GWL_STYLE);
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_LOCATION, 0);
  });
  EXPECT_EQ(shown, "Z:\\clips\\a.avi");
  EXPECT_TRUE(style & ES_READONLY);
}

TEST_F(SetupDialogTest, DeleteKeyWhileRenamingDeletesTheSelectedItem) {
  std::string tree, label;
  bool handled = false;
  Run(kHeader + "\a Sea\a\r\n Z:\\a.avi\r\n\a Nature\a\r\n", [&](SetupDialog& d) {
    app.EnableSetupAccelerators(&d);
    Select(d, Find(d, "Z:\\a.avi"));
    // Rename another playlist than the selection, as the context menu does.
    ASSERT_NE(TreeView_EditLabel(d.playlistTree, Find(d, "Nature")), nullptr);
    HWND edit = TreeView_GetEditControl(d.playlistTree);
    // The modal loop offers every key to the filter before the edit box sees it.
    MSG key{edit, WM_KEYDOWN, VK_DELETE, 0x00530001, 0, {}};
    handled = app.ProcessMessageFilter(MSGF_DIALOGBOX, &key);
    char text[64] = {};
    GetWindowTextA(edit, text, sizeof text);
    label = text;
    SendMessageA(edit, WM_CHAR, VK_ESCAPE, 0);
    tree = Tree(d);
  });
  EXPECT_TRUE(handled);
  EXPECT_EQ(label, "Nature");  // not a character less
  EXPECT_EQ(tree, "Play Lists\n  Nature\n  Sea\n");
}

// The clip the build made for the preview, as a Windows path.
std::string PreviewClip() {
  const char* unixPath = std::getenv("PREVIEW_CLIP");
  if (!unixPath) return {};
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// The preview windows the dialog owns.
std::vector<HWND> Previews(HWND dialog) {
  std::vector<HWND> found;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (GetWindow(w, GW_OWNER) == dialog && IsWindowVisible(w)) {
      char name[64] = {};
      GetClassNameA(w, name, sizeof name);
      if (std::string(name) == "MCIWndClass") found.push_back(w);
    }
  return found;
}

TEST_F(SetupDialogTest, PreviewPlaysInItsOwnWindowAndClosesWhenTheMovieEnds) {
  const std::string clip = PreviewClip();
  ASSERT_FALSE(clip.empty()) << "PREVIEW_CLIP not set";
  size_t opened = 0, twoAtOnce = 0;
  bool closed = false;
  DWORD started = 0;
  Run(kHeader + "\a Sea\a\r\n " + clip + "\r\n", [&](SetupDialog& d) {
    d.contextItem = d.rootItem;
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);  // not a movie: nothing
    EXPECT_TRUE(Previews(d.hwnd()).empty());
    TreeView_Expand(d.playlistTree, Find(d, "Sea"), TVE_EXPAND);
    d.contextItem = TreeView_GetChild(d.playlistTree, Find(d, "Sea"));
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
    opened = Previews(d.hwnd()).size();
    started = GetTickCount();
    // Each window closes itself once its movie has played (about a second).
    while (!closed && GetTickCount() - started < 10000) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      std::vector<HWND> open = Previews(d.hwnd());
      if (open.size() == 2) ++twoAtOnce;
      closed = open.empty();
      // Until the next message or a moment later, when the previews are looked at again.
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  });
  EXPECT_EQ(opened, 2u);
  EXPECT_GT(twoAtOnce, 0u);
  EXPECT_TRUE(closed) << "a preview stayed open after its movie ended";
}

TEST_F(SetupDialogTest, PreviewPlaysBackwardsRightAfterOptionsAskedForIt) {
  const std::string clip = PreviewClip();
  ASSERT_FALSE(clip.empty()) << "PREVIEW_CLIP not set";
  std::vector<UINT> forwards, backwards;
  Run(kHeader + "\a Sea\a\r\n " + clip + "\r\n", [&](SetupDialog& d) {
    TreeView_Expand(d.playlistTree, Find(d, "Sea"), TVE_EXPAND);
    d.contextItem = TreeView_GetChild(d.playlistTree, Find(d, "Sea"));
    std::vector<UINT>* sent = &forwards;
    d.sendToPreview = [&sent](HWND w, UINT m, WPARAM wp, LPARAM lp) {
      sent->push_back(m);
      return SendMessageA(w, m, wp, lp);
    };
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
    // What the Options dialog's OK does to the settings, before any save.
    app.playbackSettings.Reverse = 1;
    sent = &backwards;
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
  });
  EXPECT_EQ(forwards, (std::vector<UINT>{MCIWNDM_OPENA, MCI_PLAY}));
  EXPECT_EQ(backwards, (std::vector<UINT>{MCIWNDM_OPENA, MCIWNDM_PLAYREVERSE}));
}

TEST_F(SetupDialogTest, APausedPreviewStaysAndAStoppedOneCloses) {
  bool afterPause = false, afterStop = true;
  Run(kHeader, [&](SetupDialog& d) {
    HWND preview = CreateWindowA("STATIC", "preview", WS_POPUP, 0, 0, 10, 10, d.hwnd(), nullptr, nullptr, nullptr);
    SendMessageA(d.hwnd(), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(preview), MCI_MODE_PAUSE);
    afterPause = IsWindow(preview);
    SendMessageA(d.hwnd(), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(preview), MCI_MODE_STOP);
    afterStop = IsWindow(preview);
  });
  EXPECT_TRUE(afterPause);
  EXPECT_FALSE(afterStop);
}

// Runs `step` once the window with the title is up, polling on the timer.
void WhenWindow(const char* title, std::function<void(HWND)> step, int triesLeft = 250) {
  Then([=] {
    HWND w = FindWindowA(nullptr, title);
    if (w && IsWindowVisible(w))
      step(w);
    else if (triesLeft > 0)
      WhenWindow(title, step, triesLeft - 1);
  });
}

TEST_F(SetupDialogTest, AddMovieAppendsTheChosenFilesAfterTheMoviesThere) {
  const std::string clips = directory + "velora-add-movie";
  CreateDirectoryA(clips.c_str(), nullptr);
  for (const char* name : {"one.avi", "two.avi"}) WriteFile(clips + "\\" + name, "RIFF");
  std::vector<std::string> paths;
  bool expanded = false;
  // Chooses a file in the file dialog by typing its full name, as a user may.
  auto choose = [](const std::string& file) {
    WhenWindow("Add Movies to Playlist", [file](HWND box) {
      SetDlgItemTextA(box, edt1, file.c_str());
      SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    });
  };
  Run(kHeader + "\a Sea\a\r\n Z:\\first.avi\r\n", [&](SetupDialog& d) {
    HTREEITEM sea = Find(d, "Sea");
    Select(d, sea);
    for (const char* name : {"two.avi", "one.avi", "two.avi"}) {
      choose(clips + "\\" + name);
      SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ADD_MOVIE, BN_CLICKED), 0);
    }
    for (HTREEITEM m = TreeView_GetChild(d.playlistTree, sea); m; m = TreeView_GetNextSibling(d.playlistTree, m))
      paths.push_back(*d.PathOf(m));
    expanded = TreeView_GetItemState(d.playlistTree, sea, TVIS_EXPANDED) & TVIS_EXPANDED;
  });
  for (const char* name : {"one.avi", "two.avi"}) DeleteFileA((clips + "\\" + name).c_str());
  RemoveDirectoryA(clips.c_str());
  // The dialog may give the names in its own letter case.
  for (std::string& p : paths) std::transform(p.begin(), p.end(), p.begin(), ::tolower);
  std::string folder = clips;
  std::transform(folder.begin(), folder.end(), folder.begin(), ::tolower);
  // A file already in the playlist is added again.
  EXPECT_EQ(paths, (std::vector<std::string>{"z:\\first.avi", folder + "\\two.avi", folder + "\\one.avi",
                                             folder + "\\two.avi"}));
  EXPECT_TRUE(expanded);
}

TEST_F(SetupDialogTest, AboutOpensFromTheButtonAndTheSystemMenuCentredOverTheDialog) {
  int shown = 0;
  bool centred = false;
  Run(kHeader, [&](SetupDialog& d) {
    auto expectAbout = [&] {
      WhenWindow("About Velora Screen Saver", [&](HWND box) {
        ++shown;
        RECT inner, outer;
        GetWindowRect(box, &inner);
        GetWindowRect(d.hwnd(), &outer);
        centred = std::abs((inner.left + inner.right) - (outer.left + outer.right)) <= 2 &&
                  std::abs((inner.top + inner.bottom) - (outer.top + outer.bottom)) <= 2;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      });
    };
    expectAbout();
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0);
    expectAbout();
    SendMessageA(d.hwnd(), WM_SYSCOMMAND, CMD_SYSMENU_ABOUT, 0);
  });
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(centred);
}

TEST_F(SetupDialogTest, SetOnAPlaylistMarksItAlone) {
  Run(kHeader + "\a Sea\a\r\n>Z:\\a.avi\r\n\a Nature\a\r\n", [&](SetupDialog& d) {
    Select(d, Find(d, "Sea"));
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SET, BN_CLICKED), 0);
  }, IDOK);
  EXPECT_EQ(Saved(), kHeader + "\r\n\a Nature\a\r\n\r\n\a>Sea\a\r\n Z:\\a.avi\r\n");
}

}  // namespace
}  // namespace velora
