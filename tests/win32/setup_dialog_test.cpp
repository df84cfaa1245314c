// The setup dialog in-process: real tree and list controls, driven with
// messages while the dialog runs modally.
#include "velora/setup/setup_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <dlgs.h>
#include <vfw.h>

#include "bench/gdi_objects.h"
#include "framework/dpi.h"
#include "tests/win32/high_dpi.h"
#include "velora/playlists/whole_file.h"
#include "velora/resources/resource_ids.h"
#include "velora/shell/saver_app.h"

namespace velora {

// The dialog's tree and the state its commands act on, for the tests.
class SetupDialogTestAccess {
 public:
  static HWND Tree(const SetupDialog& d) { return d.playlistTree.hwnd(); }
  static HWND NowPlayingBox(const SetupDialog& d) { return d.nowPlayingBox; }
  static HTREEITEM Root(const SetupDialog& d) { return d.playlistTree.Root(); }
  static HTREEITEM& ContextItem(SetupDialog& d) { return d.playlistTree.contextItem; }
  static bool Dragging(const SetupDialog& d) { return d.playlistTree.Dragging(); }
  static std::string ItemLabel(SetupDialog& d, HTREEITEM item) { return d.playlistTree.ItemLabel(item); }
  static int ItemImage(SetupDialog& d, HTREEITEM item) { return d.playlistTree.ItemImage(item); }
  static const std::string* PathOf(const SetupDialog& d, HTREEITEM item) { return d.playlistTree.PathOf(item); }
};

namespace {

using Access = SetupDialogTestAccess;

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
 public:
  // Runs `mode` as the program runs its mode: inside Run, with the message filter hooked.
  void RunMode(std::function<void()> mode) {
    run = std::move(mode);
    Run(GetModuleHandleA(nullptr), "");
  }

 protected:
  bool InitInstance() override {
    if (run) run();
    return false;
  }
  std::function<void()> run;
};

// Passes the preview commands on, and lists them where asked.
struct RecordingPreviews : PreviewPort {
  LRESULT Send(HWND preview, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (sent) sent->push_back(message);
    return SendMessageA(preview, message, wParam, lParam);
  }
  std::vector<UINT>* sent = nullptr;
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
    return ReadWholeFile(path).value_or("<none>");
  }

  // Opens the dialog on `file`, runs `body` while it is up, then ends it with `close`.
  INT_PTR Run(const std::string& file, std::function<void(SetupDialog&)> body, int close = IDCANCEL) {
    WriteFile(path, file);
    SetupDialog dialog{PlaylistFile(path), settings, true, previews};
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
      for (; item; item = TreeView_GetNextSibling(Access::Tree(d), item)) {
        out += std::string(depth * 2, ' ') + Access::ItemLabel(d, item);
        if (Access::PathOf(d, item)) out += " [" + std::to_string(Access::ItemImage(d, item)) + "]";
        out += "\n";
        walk(TreeView_GetChild(Access::Tree(d), item), depth + 1);
      }
    };
    walk(TreeView_GetRoot(Access::Tree(d)), 0);
    return out;
  }
  static HTREEITEM Find(SetupDialog& d, const std::string& label) {
    HTREEITEM found = nullptr;
    std::function<void(HTREEITEM)> walk = [&](HTREEITEM item) {
      for (; item && !found; item = TreeView_GetNextSibling(Access::Tree(d), item)) {
        if (Access::ItemLabel(d, item) == label) found = item;
        walk(TreeView_GetChild(Access::Tree(d), item));
      }
    };
    walk(TreeView_GetRoot(Access::Tree(d)));
    return found;
  }
  static std::string NowPlayingBox(SetupDialog& d) {
    if (ListView_GetItemCount(Access::NowPlayingBox(d)) == 0) return "<empty>";
    char text[300] = {};
    ListView_GetItemText(Access::NowPlayingBox(d), 0, 0, text, sizeof text);
    return text;
  }
  static bool Enabled(SetupDialog& d, int id) { return IsWindowEnabled(d.Item(id)) != 0; }
  static void Select(SetupDialog& d, HTREEITEM item) { TreeView_SelectItem(Access::Tree(d), item); }

  TestApp app;
  PlaybackSettings settings;
  RecordingPreviews previews;
  std::string directory, path, existing;
};

const std::string kHeader = "Velora PlayLists\r\n";

TEST_F(SetupDialogTest, LoadShowsPlaylistsSortedMoviesInOrderStraysAndMissingFiles) {
  std::string tree, box;
  Run(kHeader + " Z:\\stray.avi\r\n\a Sea\a\r\n Z:\\b.avi\r\n Z:\\a.avi\r\n\a>apple\a\r\n " + existing +
          "\r\n",
      [&](SetupDialog& d) {
        TreeView_Expand(Access::Tree(d), Access::Root(d), TVE_EXPAND);
        TreeView_Expand(Access::Tree(d), Find(d, "Sea"), TVE_EXPAND);
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
    Select(d, Access::Root(d));
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
    ASSERT_NE(TreeView_EditLabel(Access::Tree(d), sea), nullptr);
    HWND edit = TreeView_GetEditControl(Access::Tree(d));
    ASSERT_NE(edit, nullptr);
    // The edit box wants Enter and Escape itself.
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
    SetWindowTextA(edit, "Ocean");
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    afterEnter = Tree(d);

    HTREEITEM nature = Find(d, "Nature");
    ASSERT_NE(TreeView_EditLabel(Access::Tree(d), nature), nullptr);
    edit = TreeView_GetEditControl(Access::Tree(d));
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
    movieEdit = TreeView_EditLabel(Access::Tree(d), Find(d, "Z:\\a.avi")) != nullptr;
    rootEdit = TreeView_EditLabel(Access::Tree(d), Access::Root(d)) != nullptr;
  });
  EXPECT_FALSE(movieEdit);
  EXPECT_FALSE(rootEdit);
}

TEST_F(SetupDialogTest, DeleteRemovesTheItemButNeverTheRoot) {
  std::string tree;
  Run(kHeader + "\a>Sea\a\r\n Z:\\a.avi\r\n\a Nature\a\r\n", [&](SetupDialog& d) {
    d.DeleteItem(Access::Root(d));
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
    Access::ContextItem(d) = Find(d, "Sea");
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_LOCATION, 0);  // a playlist: nothing
    Access::ContextItem(d) = Find(d, "Z:\\clips\\a.avi");
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
    ASSERT_NE(TreeView_EditLabel(Access::Tree(d), Find(d, "Nature")), nullptr);
    HWND edit = TreeView_GetEditControl(Access::Tree(d));
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

// A clip the build made for the preview, as a Windows path.
std::string PreviewClip(const char* variable = "PREVIEW_CLIP") {
  const char* unixPath = std::getenv(variable);
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
    Access::ContextItem(d) = Access::Root(d);
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);  // not a movie: nothing
    EXPECT_TRUE(Previews(d.hwnd()).empty());
    TreeView_Expand(Access::Tree(d), Find(d, "Sea"), TVE_EXPAND);
    Access::ContextItem(d) = TreeView_GetChild(Access::Tree(d), Find(d, "Sea"));
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
    TreeView_Expand(Access::Tree(d), Find(d, "Sea"), TVE_EXPAND);
    Access::ContextItem(d) = TreeView_GetChild(Access::Tree(d), Find(d, "Sea"));
    previews.sent = &forwards;
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
    // What the Options dialog's OK does to the settings, before any save.
    settings.Reverse = 1;
    previews.sent = &backwards;
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
  });
  EXPECT_EQ(forwards, (std::vector<UINT>{MCIWNDM_OPENA, MCI_PLAY}));
  EXPECT_EQ(backwards, (std::vector<UINT>{MCIWNDM_OPENA, MCIWNDM_PLAYREVERSE}));
}

// Through Media Foundation (its window class tells): a window of the
// dialog's own plays it, forwards even with Reverse on, and closes when the
// movie has played.
TEST_F(SetupDialogTest, AnMp4PreviewPlaysForwardsInAWindowOfItsOwnAndCloses) {
  const std::string clip = PreviewClip("PREVIEW_MP4");
  ASSERT_FALSE(clip.empty()) << "PREVIEW_MP4 not set";
  settings.Reverse = 1;
  HWND preview = nullptr;
  std::string caption, windowClass;
  bool openAfterASecond = false, closed = false, pictureSeen = false;
  Run(kHeader + "\a Sea\a\r\n " + clip + "\r\n", [&](SetupDialog& d) {
    TreeView_Expand(Access::Tree(d), Find(d, "Sea"), TVE_EXPAND);
    Access::ContextItem(d) = TreeView_GetChild(Access::Tree(d), Find(d, "Sea"));
    SendMessageA(d.hwnd(), WM_COMMAND, CMD_ITEM_PREVIEW, 0);
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
      if (GetWindow(w, GW_OWNER) == d.hwnd() && IsWindowVisible(w)) preview = w;
    if (!preview) return;
    char text[MAX_PATH] = {};
    GetWindowTextA(preview, text, sizeof text);
    caption = text;
    GetClassNameA(preview, text, sizeof text);
    windowClass = text;
    const DWORD started = GetTickCount();
    while (!closed && GetTickCount() - started < 15000) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      closed = !IsWindow(preview);
      if (GetTickCount() - started < 1000) openAfterASecond = !closed;
      if (!closed && !pictureSeen) {
        RECT r;
        GetClientRect(preview, &r);
        POINT centre{r.right / 2, r.bottom / 2};
        ClientToScreen(preview, &centre);
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, centre.x, centre.y);
        ReleaseDC(nullptr, screen);
        pictureSeen = GetRValue(c) < 40 && GetGValue(c) > 200 && GetBValue(c) < 40;
      }
      Sleep(20);
    }
  });
  settings.Reverse = 0;
  ASSERT_NE(preview, nullptr) << "no preview window";
  EXPECT_EQ(caption, "preview-clip.mp4");
  EXPECT_EQ(windowClass, "VeloraMoviePreview") << "not played through Media Foundation";
  EXPECT_TRUE(pictureSeen) << "the clip's green never showed in the preview";
  EXPECT_TRUE(openAfterASecond) << "the movie ended at once: played backwards?";
  EXPECT_TRUE(closed) << "the preview stayed open after its movie ended";
}

TEST_F(SetupDialogTest, APausedPreviewStaysAndAStoppedOneCloses) {
  bool afterPause = false, stillThere = false, afterStop = true;
  Run(kHeader, [&](SetupDialog& d) {
    HWND preview = CreateWindowA("STATIC", "preview", WS_POPUP, 0, 0, 10, 10, d.hwnd(), nullptr, nullptr, nullptr);
    SendMessageA(d.hwnd(), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(preview), MCI_MODE_PAUSE);
    afterPause = IsWindow(preview);
    SendMessageA(d.hwnd(), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(preview), MCI_MODE_STOP);
    // The close is posted, not sent from inside the preview's own notification.
    stillThere = IsWindow(preview);
    for (MSG msg; IsWindow(preview) && GetMessageA(&msg, nullptr, 0, 0);) DispatchMessageA(&msg);
    afterStop = IsWindow(preview);
  });
  EXPECT_TRUE(afterPause);
  EXPECT_TRUE(stillThere);
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
    for (HTREEITEM m = TreeView_GetChild(Access::Tree(d), sea); m; m = TreeView_GetNextSibling(Access::Tree(d), m))
      paths.push_back(*Access::PathOf(d, m));
    expanded = TreeView_GetItemState(Access::Tree(d), sea, TVIS_EXPANDED) & TVIS_EXPANDED;
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

// The centre of an item's label, in the coordinates of `window` (nullptr: the screen).
POINT OnItem(SetupDialog& d, HTREEITEM item, HWND window) {
  RECT r{};
  TreeView_GetItemRect(Access::Tree(d), item, &r, TRUE);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MapWindowPoints(Access::Tree(d), window, &p, 1);
  return p;
}

// The commands of a menu, top to bottom; 0 for a separator.
std::vector<UINT> Commands(HMENU menu) {
  std::vector<UINT> ids;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
  return ids;
}

TEST_F(SetupDialogTest, RightClickOffersTheItemsMenuAndItsCommandsActOnThatItem) {
  // One entry per right click: the commands of the menu shown, none when no menu came up.
  std::vector<std::vector<UINT>> shown;
  std::string selected;
  bool rootEdited = true, playlistEdited = false;
  Run(kHeader + "\a Sea\a\r\n>Z:\\a.avi\r\n Z:\\b.avi\r\n", [&](SetupDialog& d) {
    auto rightClick = [&](POINT screen) {
      SetCursorPos(screen.x, screen.y);
      shown.emplace_back();
      Then([&shown, i = shown.size() - 1] {
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return;
        shown[i] = Commands(reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0)));
        EndMenu();
      });
      NMHDR click{Access::Tree(d), IDC_PLAYLIST_TREE, static_cast<UINT>(NM_RCLICK)};
      SendMessageA(d.hwnd(), WM_NOTIFY, IDC_PLAYLIST_TREE, reinterpret_cast<LPARAM>(&click));
    };
    auto command = [&](UINT id) { SendMessageA(d.hwnd(), WM_COMMAND, id, 0); };

    // The marked movie a is selected; b is not.
    rightClick(OnItem(d, Find(d, "Z:\\b.avi"), nullptr));
    command(CMD_ITEM_DELETE);
    selected = Access::ItemLabel(d, d.SelectedItem());
    rightClick(OnItem(d, Access::Root(d), nullptr));
    command(CMD_ITEM_RENAME);
    rootEdited = TreeView_GetEditControl(Access::Tree(d)) != nullptr;
    rightClick(OnItem(d, Find(d, "Sea"), nullptr));
    command(CMD_ITEM_RENAME);
    HWND edit = TreeView_GetEditControl(Access::Tree(d));
    playlistEdited = edit != nullptr;
    if (edit) SendMessageA(edit, WM_CHAR, VK_ESCAPE, 0);
    // Below the last item: no menu, and no command finds an item to act on.
    RECT tree{};
    GetWindowRect(Access::Tree(d), &tree);
    rightClick(POINT{tree.left + 10, tree.bottom - 10});
    command(CMD_ITEM_DELETE);
  }, IDOK);
  HMENU menus = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_MENUS));
  const std::vector<UINT> movie = Commands(GetSubMenu(menus, CONTEXT_MENU_MOVIE));
  const std::vector<UINT> folder = Commands(GetSubMenu(menus, CONTEXT_MENU_FOLDER));
  DestroyMenu(menus);
  EXPECT_EQ(shown, (std::vector<std::vector<UINT>>{movie, folder, folder, {}}));
  EXPECT_EQ(selected, "Z:\\a.avi");
  EXPECT_FALSE(rootEdited);
  EXPECT_TRUE(playlistEdited);
  EXPECT_EQ(Saved(), kHeader + "\r\n\a Sea\a\r\n>Z:\\a.avi\r\n");
}

// The thread's cursor display count is 0 or more while the cursor is shown.
bool CursorShown() {
  const int count = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  return count >= 0;
}

// The tree's own procedure while a test makes it refuse new items.
WNDPROC treeProcedure = nullptr;
LRESULT CALLBACK RefusingInsertions(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return m == TVM_INSERTITEMA ? 0 : CallWindowProcA(treeProcedure, w, m, wp, lp);
}

TEST_F(SetupDialogTest, DragMovesAMovieFirstIntoAPlaylistOrAfterAMovieAndKeepsItNowPlaying) {
  // b, the now-playing movie, is dragged; its mark must follow it.
  const std::string file = kHeader + "\a Sea\a\r\n Z:\\a.avi\r\n>Z:\\b.avi\r\n Z:\\c.avi\r\n\a Nature\a\r\n Z:\\n.avi\r\n";
  const std::string nature = "\r\n\a Nature\a\r\n Z:\\n.avi\r\n", sea = "\r\n\a Sea\a\r\n Z:\\a.avi\r\n Z:\\c.avi\r\n";
  const std::string unchanged = kHeader + nature + "\r\n\a Sea\a\r\n Z:\\a.avi\r\n>Z:\\b.avi\r\n Z:\\c.avi\r\n";
  enum class Ending { Release, RefuseInsertion, LoseCapture };
  struct Case {
    const char* target;  // label of the item released on; "" for the OK button
    Ending ending;
    std::string saved;
    std::string selected;  // after the drop
  };
  const Case cases[] = {
      {"Nature", Ending::Release, kHeader + "\r\n\a Nature\a\r\n>Z:\\b.avi\r\n Z:\\n.avi\r\n" + sea, "Z:\\b.avi"},
      {"Sea", Ending::Release, kHeader + nature + "\r\n\a Sea\a\r\n>Z:\\b.avi\r\n Z:\\a.avi\r\n Z:\\c.avi\r\n",
       "Z:\\b.avi"},
      {"Z:\\n.avi", Ending::Release, kHeader + nature + ">Z:\\b.avi\r\n" + sea, "Z:\\b.avi"},
      {"Z:\\c.avi", Ending::Release, kHeader + nature + sea + ">Z:\\b.avi\r\n", "Z:\\b.avi"},
      {"Z:\\a.avi", Ending::Release, unchanged, "Z:\\b.avi"},
      {"Z:\\b.avi", Ending::Release, unchanged, ""},
      {"Play Lists", Ending::Release, unchanged, ""},
      {"", Ending::Release, unchanged, ""},
      {"Nature", Ending::RefuseInsertion, unchanged, ""},
      {"Nature", Ending::LoseCapture, unchanged, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("onto \"") + c.target + "\", ending " + std::to_string(static_cast<int>(c.ending)));
    bool hiddenWhileDragging = false, imageWhileDragging = false, buttonsOffWhileDragging = false;
    bool shownAfter = false, imageAfter = true, draggingAfter = true;
    std::string selected;
    Run(file, [&](SetupDialog& d) {
      for (HTREEITEM playlist : {Find(d, "Sea"), Find(d, "Nature")})
        TreeView_Expand(Access::Tree(d), playlist, TVE_EXPAND);
      HTREEITEM b = Find(d, "Z:\\b.avi");
      NMTREEVIEWA begin{};
      begin.hdr = {Access::Tree(d), IDC_PLAYLIST_TREE, static_cast<UINT>(TVN_BEGINDRAGA)};
      begin.itemNew.hItem = b;
      begin.ptDrag = OnItem(d, b, Access::Tree(d));
      SendMessageA(d.hwnd(), WM_NOTIFY, IDC_PLAYLIST_TREE, reinterpret_cast<LPARAM>(&begin));
      hiddenWhileDragging = !CursorShown();
      imageWhileDragging = ImageList_GetDragImage(nullptr, nullptr) != nullptr;
      buttonsOffWhileDragging = !Enabled(d, IDC_SET) && !Enabled(d, IDC_ADD_MOVIE);

      // On its way the pointer passes over Nature.
      const POINT via = OnItem(d, Find(d, "Nature"), d.hwnd());
      SendMessageA(d.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(via.x, via.y));
      const POINT to = *c.target ? OnItem(d, Find(d, c.target), d.hwnd()) : OnItem(d, Access::Root(d), d.Item(IDOK));
      SendMessageA(d.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
      if (c.ending == Ending::RefuseInsertion)
        treeProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            Access::Tree(d), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingInsertions)));
      if (c.ending == Ending::LoseCapture) {
        SetCapture(d.Item(IDCANCEL));
        ReleaseCapture();
      }
      SendMessageA(d.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
      if (c.ending == Ending::RefuseInsertion)
        SetWindowLongPtrA(Access::Tree(d), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProcedure));
      shownAfter = CursorShown();
      imageAfter = ImageList_GetDragImage(nullptr, nullptr) != nullptr;
      draggingAfter = Access::Dragging(d);
      selected = d.SelectedItem() ? Access::ItemLabel(d, d.SelectedItem()) : "";
    }, IDOK);
    EXPECT_TRUE(hiddenWhileDragging);
    EXPECT_TRUE(imageWhileDragging);
    EXPECT_TRUE(buttonsOffWhileDragging);
    EXPECT_TRUE(shownAfter);
    EXPECT_FALSE(imageAfter);
    EXPECT_FALSE(draggingAfter);
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(Saved(), c.saved);
  }
}

TEST_F(SetupDialogTest, DeleteKeyInTheAddPlaylistBoxEditsTheNameAndDeletesNoItem) {
  std::string name;
  int itemsBefore = 0, itemsAfter = 0;
  app.RunMode([&] {
    Run(kHeader + "\a Sea\a\r\n>Z:\\a.avi\r\n", [&](SetupDialog& d) {
      app.EnableSetupAccelerators(&d);
      itemsBefore = TreeView_GetCount(Access::Tree(d));
      WhenWindow("Add Playlist", [&](HWND box) {
        HWND edit = GetDlgItem(box, IDC_PLAYLIST_NAME);
        SetWindowTextA(edit, "Ocean");
        SendMessageA(edit, EM_SETSEL, 0, 0);
        // Through the box's own loop, and so through the program's message filter.
        PostMessageA(edit, WM_KEYDOWN, VK_DELETE, 0x01530001);
        Then([&name, box, edit] {
          char text[64] = {};
          GetWindowTextA(edit, text, sizeof text);
          name = text;
          PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        });
      });
      SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ADD_PLAYLIST, BN_CLICKED), 0);
      itemsAfter = TreeView_GetCount(Access::Tree(d));
    });
  });
  EXPECT_EQ(name, "cean");
  EXPECT_EQ(itemsAfter, itemsBefore);
}

TEST_F(SetupDialogTest, TheTreeReportsInAnsiAndWideRequestsAreLeftAlone) {
  bool unicode = true;
  wchar_t wide[8];
  std::fill(std::begin(wide), std::end(wide), L'#');
  Run(kHeader + "\a Sea\a\r\n Z:\\a.avi\r\n", [&](SetupDialog& d) {
    unicode = TreeView_GetUnicodeFormat(Access::Tree(d));
    // A wide request for a movie's title, which this tree never makes, must not get ANSI text.
    NMTVDISPINFOW request{};
    request.hdr = {Access::Tree(d), IDC_PLAYLIST_TREE, static_cast<UINT>(TVN_GETDISPINFOW)};
    request.item.mask = TVIF_PARAM;
    request.item.hItem = Find(d, "Z:\\a.avi");
    TreeView_GetItem(Access::Tree(d), reinterpret_cast<TVITEMA*>(&request.item));
    request.item.mask = TVIF_TEXT;
    request.item.pszText = wide;
    request.item.cchTextMax = 8;
    SendMessageA(d.hwnd(), WM_NOTIFY, IDC_PLAYLIST_TREE, reinterpret_cast<LPARAM>(&request));
  });
  EXPECT_FALSE(unicode);
  EXPECT_EQ(wide[0], L'#');
}

// A save that fails keeps the dialog open and says why; OK once the file is free saves.
TEST_F(SetupDialogTest, OkThatCannotSaveTellsWhyKeepsTheDialogAndSavesOnceTheFileIsFree) {
  WriteFile(path, kHeader + "\r\n\a Sea\a\r\n Z:\\a.avi\r\n");
  SetupDialog d{PlaylistFile(path), settings, true};
  HANDLE holder = INVALID_HANDLE_VALUE;
  HWND owner = nullptr;
  std::string text;
  bool stayed = false;
  int polls = 0;
  std::function<void()> answerBox = [&] {
    // The box comes after the save has waited its second for the file.
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) && GetWindow(box, GW_OWNER) != d.hwnd()) {
    }
    if (!box && ++polls < 500) return Then(answerBox);
    if (!box) return CloseHandle(holder), PostMessageA(d.hwnd(), WM_COMMAND, IDCANCEL, 0), void();
    owner = GetWindow(box, GW_OWNER);
    char buffer[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    text = buffer;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Then([&] {
      stayed = IsWindowVisible(d.hwnd()) && Find(d, "Z:\\a.avi") != nullptr;
      CloseHandle(holder);
      PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
  };
  Then([&] {
    Select(d, Find(d, "Sea"));
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SET, BN_CLICKED), 0);
    holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Then(answerBox);
  });
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_TRUE(stayed);
  EXPECT_NE(owner, nullptr) << "no message box";
  EXPECT_NE(text.find("could not be saved"), std::string::npos) << text;
  EXPECT_NE(text.find(path), std::string::npos) << text;
  EXPECT_NE(text.find(fw::SystemErrorText(ERROR_SHARING_VIOLATION)), std::string::npos) << text;
  EXPECT_EQ(Saved(), kHeader + "\r\n\a>Sea\a\r\n Z:\\a.avi\r\n");
}

// Every movie of a large collection shown: the dialog holds about as many GDI
// objects as when empty (a process may hold 10,000 on Windows).
TEST_F(SetupDialogTest, ShowingFiveThousandMoviesHoldsNoObjectPerMovie) {
  const char* types[] = {".avi", ".wav", ".mp4", ".mpg", ".wmv"};
  std::vector<std::string> files;
  for (int f = 0; f < 50; ++f) {
    files.push_back(directory + "velora-gdi-" + std::to_string(f) + types[f % 5]);
    WriteFile(files.back(), "RIFF");
  }
  std::string large = kHeader;
  for (int p = 0; p < 50; ++p) {
    large += "\r\n\a Playlist " + std::to_string(p) + "\a\r\n";
    for (int m = 0; m < 100; ++m) large += " " + files[(p + m) % files.size()] + "\r\n";
  }
  auto objects = [] { return bench::GdiObjectCount(GetCurrentProcess()); };
  long cold = -1, atFifty = -1, shown = -1, warm = -1;
  int movies = 0;
  Run(kHeader, [&](SetupDialog&) { cold = objects(); });
  Run(large, [&](SetupDialog& d) {
    HWND tree = Access::Tree(d);
    for (HTREEITEM p = TreeView_GetChild(tree, Access::Root(d)); p; p = TreeView_GetNextSibling(tree, p))
      for (HTREEITEM m = TreeView_GetChild(tree, p); m; m = TreeView_GetNextSibling(tree, m)) {
        Access::ItemImage(d, m);  // what drawing the item asks for
        if (++movies == 50) atFifty = objects();
      }
    UpdateWindow(tree);
    shown = objects();
  });
  // The shell keeps its own image lists and icons once asked: they belong to
  // the process, not to the dialog, and are there for the second empty dialog.
  Run(kHeader, [&](SetupDialog&) { warm = objects(); });
  for (const std::string& file : files) DeleteFileA(file.c_str());
  printf("GDI objects: empty dialog %ld (after the shell was asked: %ld), after 50 movies shown %ld, "
         "after %d movies %ld\n", cold, warm, atFifty, movies, shown);
  EXPECT_EQ(movies, 5000);
  ASSERT_GT(cold, 0);
  EXPECT_LE(shown - atFifty, 10);
  EXPECT_LE(shown - warm, 100);
}

// At any DPI: the dialog and the boxes it opens take fonts of their size in
// points, every caption has room, and the tree and the Now Playing box show
// the pictures drawn for that DPI.
TEST_F(SetupDialogTest, TheDialogAndItsBoxesAreDrawnForTheScreensDpi) {
  std::string setup = "not opened";
  std::vector<std::string> boxes;
  int artSide = 0;
  std::pair<int, int> tree, nowPlaying;
  auto sides = [](HIMAGELIST images) {
    std::pair<int, int> size;
    ImageList_GetIconSize(images, &size.first, &size.second);
    return size;
  };
  Run(kHeader + "\a>Sea\a\r\n Z:\\clips\\a.avi\r\n", [&](SetupDialog& d) {
    setup = high_dpi::DialogFaults(d.hwnd());
    artSide = fw::ArtSize(16, fw::ArtScaleFor(fw::DpiOf(d.hwnd())));
    tree = sides(TreeView_GetImageList(Access::Tree(d), TVSIL_NORMAL));
    nowPlaying = sides(ListView_GetImageList(Access::NowPlayingBox(d), LVSIL_SMALL));
    const struct {
      const char* title;
      WPARAM command;
      int close;
    } opened[] = {{"About Velora Screen Saver", MAKEWPARAM(IDC_ABOUT, BN_CLICKED), IDOK},
                  {"Add Playlist", MAKEWPARAM(IDC_ADD_PLAYLIST, BN_CLICKED), IDCANCEL},
                  {"Movie Location", CMD_ITEM_LOCATION, IDCANCEL}};
    TreeView_Expand(Access::Tree(d), Find(d, "Sea"), TVE_EXPAND);
    Access::ContextItem(d) = Find(d, "Z:\\clips\\a.avi");
    for (const auto& box : opened) {
      boxes.push_back(std::string(box.title) + ": not opened");
      WhenWindow(box.title, [&boxes, box](HWND w) {
        boxes.back() = box.title + std::string(": ") + high_dpi::DialogFaults(w);
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(box.close, BN_CLICKED), 0);
      });
      SendMessageA(d.hwnd(), WM_COMMAND, box.command, 0);
    }
  });
  EXPECT_EQ(setup, "");
  EXPECT_EQ(boxes, (std::vector<std::string>{"About Velora Screen Saver: ", "Add Playlist: ", "Movie Location: "}));
  EXPECT_EQ(tree, std::make_pair(artSide, artSide));
  EXPECT_EQ(nowPlaying, std::make_pair(artSide, artSide));
}

}  // namespace
}  // namespace velora
