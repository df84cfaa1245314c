// The setup dialog's frame: opening it on the playlist file, its buttons and
// menu commands, the now-playing item, label edits, and OK that saves. The
// tree of playlists and movies is a PlaylistTree (playlist_tree.h), to which
// the tree's notifications go on; the commands on movie files are in
// movie_commands.cpp.
#include "velora/setup/setup_dialog.h"

#include <vfw.h>
#include <windowsx.h>

#include "framework/dpi.h"
#include "velora/playlists/core/playlist_format.h"
#include "velora/playlists/core/playlist_model.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/about_dialog.h"
#include "velora/setup/options_dialog.h"
#include "velora/setup/text_dialogs.h"

namespace velora {

namespace {

// What the user is told when OK could not save: which file, where, and the system's reason.
std::string SaveFailureText(const SaveFailure& failure) {
  std::string text = failure.step == SaveFailure::Step::Backup
                         ? "The playlists were not saved: the copy of the old playlist file could not be kept."
                         : "The playlists could not be saved.";
  text += "\n\n" + failure.path + "\n\n" + fw::SystemErrorText(failure.error);
  text += "\nClose any program that uses the file and press OK again, or press Cancel to give up the changes.";
  return text;
}

// What the user is told when the playlist file is there but could not be read.
std::string ReadFailureText(const std::string& path, unsigned long error) {
  return "The playlist file could not be read, so the playlists shown may be incomplete.\n\n" + path + "\n\n" +
         fw::SystemErrorText(error) +
         "\nOK keeps a copy of the file beside it before it saves, or fails if the file still cannot be read.";
}

}  // namespace

FW_BEGIN_MESSAGE_MAP(SetupDialog, fw::Dialog)
  FW_ON_COMMAND(IDC_SET, OnSetClicked)
  FW_ON_COMMAND(IDC_ABOUT, OnAboutClicked)
  FW_ON_COMMAND(IDC_ADD_PLAYLIST, OnAddPlaylist)
  FW_ON_COMMAND(IDC_ADD_MOVIE, OnAddMovie)
  FW_ON_COMMAND(IDC_OPTIONS, OnOptions)
  FW_ON_COMMAND(CMD_ITEM_LOCATION, OnItemLocation)
  FW_ON_COMMAND(CMD_ITEM_PREVIEW, OnItemPreview)
  FW_ON_MESSAGE(MCIWNDM_NOTIFYMODE, OnPreviewMode)
  FW_ON_NOTIFY(TVN_BEGINLABELEDITA, IDC_PLAYLIST_TREE, OnBeginLabelEdit)
  FW_ON_NOTIFY(TVN_ENDLABELEDITA, IDC_PLAYLIST_TREE, OnEndLabelEdit)
  FW_ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
  // The dialog is an ANSI window, so its tree reports in ANSI codes and structures only.
  FW_ON_NOTIFY(TVN_SELCHANGEDA, IDC_PLAYLIST_TREE, OnSelectionChanged)
  FW_ON_NOTIFY(TVN_GETDISPINFOA, IDC_PLAYLIST_TREE, OnGetDisplayInfo)
  FW_ON_NOTIFY(TVN_DELETEITEMA, IDC_PLAYLIST_TREE, OnItemDeleted)
  FW_ON_NOTIFY(NM_RCLICK, IDC_PLAYLIST_TREE, OnTreeRightClick)
  FW_ON_COMMAND(CMD_ITEM_DELETE, OnItemDelete)
  FW_ON_COMMAND(CMD_ITEM_RENAME, OnItemRename)
  FW_ON_NOTIFY(TVN_BEGINDRAGA, IDC_PLAYLIST_TREE, OnBeginDrag)
  FW_ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
  FW_ON_MESSAGE(WM_LBUTTONUP, OnLeftButtonUp)
  FW_ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
  FW_ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
FW_END_MESSAGE_MAP()

SetupDialog::SetupDialog(PlaylistFile file, PlaybackSettings& settings, bool newShell, PreviewPort& previews)
    : fw::Dialog(IDD_SETUP),
      playlistTree(newShell),
      previews(previews),
      playlistFile(std::move(file)),
      settings(settings),
      newShell(newShell) {}

BOOL SetupDialog::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  nowPlayingBox = Item(IDC_NOW_PLAYING);
  CenterWindow();
  AddSystemMenuAbout();
  playlistTree.Attach(Item(IDC_PLAYLIST_TREE), Instance());
  ListView_SetImageList(nowPlayingBox, playlistTree.Images(), LVSIL_SMALL);
  LoadPlaylists();
  EnableButtonsFor(SelectedItem());
  // The dialog manager gives the focus to the first tab stop, OK.
  return TRUE;
}

void SetupDialog::AddSystemMenuAbout() {
  std::string text = fw::LoadResourceString(IDS_ABOUT_MENU);
  if (text.empty()) return;
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (!menu) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, CMD_SYSMENU_ABOUT, text.c_str());
}

void SetupDialog::LoadPlaylists() {
  unsigned long readError = 0;
  PlaylistSet set = playlistFile.LoadPlaylists(&readError);
  if (readError)
    MessageBoxA(hwnd(), ReadFailureText(playlistFile.Path().value_or("velora.ini"), readError).c_str(),
                fw::ProgramTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);

  HTREEITEM toSelect = nullptr;
  for (size_t s = 0; s < set.strayMovies.size(); ++s) {
    HTREEITEM item = playlistTree.AddMovieItem(nullptr, set.strayMovies[s].path);
    if (set.nowPlaying.kind == NowPlaying::Kind::StrayMovie && static_cast<int>(s) == set.nowPlaying.movie)
      toSelect = item;
  }
  for (size_t p = 0; p < set.playlists.size(); ++p) {
    const Playlist& playlist = set.playlists[p];
    HTREEITEM playlistItem = playlistTree.AddPlaylistItem(playlist.name);
    const bool marked = static_cast<int>(p) == set.nowPlaying.playlist;
    if (marked && set.nowPlaying.kind == NowPlaying::Kind::Playlist) toSelect = playlistItem;
    for (size_t m = 0; m < playlist.movies.size(); ++m) {
      HTREEITEM movieItem = playlistTree.AddMovieItem(playlistItem, playlist.movies[m].path);
      if (marked && set.nowPlaying.kind == NowPlaying::Kind::Movie &&
          static_cast<int>(m) == set.nowPlaying.movie)
        toSelect = movieItem;
    }
  }
  if (toSelect) {
    playlistTree.Select(toSelect);
    SetNowPlaying();
  }
}

void SetupDialog::OnOK() {
  SaveFailure failure;
  if (playlistFile.SavePlaylists(playlistTree.TreeToModel(), &failure)) {
    fw::Dialog::OnOK();
    return;
  }
  // The dialog stays open with every edit, so that OK can be tried again once
  // the file is free, or the edits given up with Cancel. The playback settings
  // are stored only after a save, so the two never disagree.
  MessageBoxA(hwnd(), SaveFailureText(failure).c_str(), fw::ProgramTitle().c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

void SetupDialog::EnableButtonsFor(HTREEITEM subject) {
  EnableWindow(Item(IDC_ADD_MOVIE), playlistTree.IsPlaylist(subject));
  EnableWindow(Item(IDC_SET), subject && playlistTree.ParentOf(subject));
}

void SetupDialog::SetNowPlaying() {
  HTREEITEM item = playlistTree.SelectedItem();
  playlistTree.SetNowPlayingItem(item);
  if (!item) return;
  std::string label = playlistTree.ItemLabel(item);
  int image = playlistTree.ItemImage(item);

  if (ListView_GetItemCount(nowPlayingBox) > 0) ListView_DeleteItem(nowPlayingBox, 0);
  LVITEMA entry{};
  entry.mask = LVIF_TEXT | LVIF_IMAGE;
  entry.iItem = 0;
  entry.pszText = label.data();
  entry.iImage = image;
  ListView_InsertItem(nowPlayingBox, &entry);
}

LRESULT SetupDialog::OnSetClicked(fw::Message&) {
  SetNowPlaying();
  return 0;
}

LRESULT SetupDialog::OnAboutClicked(fw::Message&) {
  AboutDialog(hwnd()).DoModal();
  return 0;
}

LRESULT SetupDialog::OnAddPlaylist(fw::Message&) {
  AddPlaylistDialog dialog(hwnd());
  if (dialog.DoModal() != IDOK) return 0;
  // Longer names than the playlist file holds are cut here, where the user sees them.
  playlistTree.AddPlaylistItem(StorablePlaylistName(dialog.playlistName));
  playlistTree.Expand(playlistTree.Root());
  return 0;
}

LRESULT SetupDialog::OnOptions(fw::Message&) {
  RunOptions(hwnd(), settings);
  return 0;
}

LRESULT SetupDialog::OnBeginLabelEdit(fw::Message& msg) {
  auto* info = reinterpret_cast<NMTVDISPINFOA*>(msg.lParam);
  HTREEITEM item = info->item.hItem;
  // Only playlists have names of their own: movies and the root keep theirs.
  if (!playlistTree.IsPlaylist(item)) return TRUE;
  if (HWND edit = playlistTree.LabelEditControl()) {
    SendMessageA(edit, EM_LIMITTEXT, kMaxPlaylistName, 0);
    auto* box = new LabelEditBox;
    if (box->Subclass(edit))
      editBox = static_cast<LabelEditBox*>(box->SelfDeleting());
    else
      delete box;
  }
  return editBox ? FALSE : TRUE;
}

LRESULT SetupDialog::OnEndLabelEdit(fw::Message& msg) {
  auto* info = reinterpret_cast<NMTVDISPINFOA*>(msg.lParam);
  // Some trees report the end of one edit twice (the edit box losing the
  // focus as it goes); only the first report counts.
  if (!editBox) return FALSE;
  if (info->item.pszText) playlistTree.SetLabel(info->item.hItem, StorablePlaylistName(info->item.pszText));
  editBox = nullptr;
  SetNowPlaying();
  // The label is set already; the tree must not set it again.
  return FALSE;
}

LRESULT SetupDialog::OnSysCommand(fw::Message& msg) {
  if ((msg.wParam & 0xFFF0) == CMD_SYSMENU_ABOUT) {
    AboutDialog(hwnd()).DoModal();
    return 0;
  }
  return Default();
}

LRESULT SetupDialog::OnSelectionChanged(fw::Message& msg) {
  auto* change = reinterpret_cast<NMTREEVIEWA*>(msg.lParam);
  EnableButtonsFor(change->itemNew.hItem);
  return 0;
}

LRESULT SetupDialog::OnDpiChanged(fw::Message&) {
  // The system lays the dialog out for the new monitor; the pictures follow.
  const LRESULT result = Default();
  playlistTree.UseImagesFor(fw::DpiOf(hwnd()));
  ListView_SetImageList(nowPlayingBox, playlistTree.Images(), LVSIL_SMALL);
  InvalidateRect(hwnd(), nullptr, TRUE);
  return result;
}

LRESULT SetupDialog::OnDestroy(fw::Message&) {
  if (playlistTree.Dragging()) playlistTree.EndDrag();
  return Default();
}

LRESULT SetupDialog::OnGetDisplayInfo(fw::Message& msg) {
  playlistTree.FillDisplayInfo(*reinterpret_cast<NMTVDISPINFOA*>(msg.lParam));
  return 0;
}

LRESULT SetupDialog::OnItemDeleted(fw::Message& msg) {
  playlistTree.ItemDeleted(reinterpret_cast<NMTREEVIEWA*>(msg.lParam)->itemOld.hItem);
  return 0;
}

LRESULT SetupDialog::OnTreeRightClick(fw::Message&) {
  playlistTree.ShowContextMenu();
  return 0;
}

LRESULT SetupDialog::OnItemDelete(fw::Message&) {
  DeleteItem(playlistTree.ContextItem());
  return 0;
}

LRESULT SetupDialog::OnItemRename(fw::Message&) {
  if (HTREEITEM item = playlistTree.ContextItem()) playlistTree.EditLabel(item);
  return 0;
}

LRESULT SetupDialog::OnBeginDrag(fw::Message& msg) {
  playlistTree.BeginDrag(*reinterpret_cast<const NMTREEVIEWA*>(msg.lParam));
  return 0;
}

// While a movie is dragged the dialog holds the mouse, for the tree.
LRESULT SetupDialog::OnMouseMove(fw::Message& msg) {
  POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  ClientToScreen(hwnd(), &screen);
  playlistTree.FollowDrag(screen);
  return Default();
}

LRESULT SetupDialog::OnLeftButtonUp(fw::Message&) {
  if (playlistTree.Drop()) SetNowPlaying();
  return Default();
}

LRESULT SetupDialog::OnCaptureChanged(fw::Message& msg) {
  playlistTree.CaptureChanged(reinterpret_cast<HWND>(msg.lParam));
  return Default();
}

}  // namespace velora
