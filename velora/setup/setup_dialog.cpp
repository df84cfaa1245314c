// The setup dialog's frame: opening it on the playlist file, its buttons and
// menu commands, label edits, and OK that saves. The tree's items are kept in
// tree_items.cpp, the commands on movie files in movie_commands.cpp and the
// mouse gestures in tree_gestures.cpp.
#include "velora/setup/setup_dialog.h"

#include <vfw.h>

#include "velora/playlists/core/playlist_format.h"
#include "velora/playlists/core/playlist_model.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/about_dialog.h"
#include "velora/setup/options_dialog.h"
#include "velora/setup/text_dialogs.h"

namespace velora {

namespace {

constexpr COLORREF kTransparentMagenta = RGB(255, 0, 255);

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
FW_END_MESSAGE_MAP()

SetupDialog::SetupDialog(PlaylistFile file, PlaybackSettings& settings, bool newShell)
    : fw::Dialog(IDD_SETUP), playlistFile(std::move(file)), settings(settings), newShell(newShell) {}

SetupDialog::~SetupDialog() {
  if (imageList) ImageList_Destroy(imageList);
}

BOOL SetupDialog::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  nowPlayingBox = Item(IDC_NOW_PLAYING);
  playlistTree = Item(IDC_PLAYLIST_TREE);
  CenterWindow();
  AddSystemMenuAbout();
  CreateImageList();

  TVINSERTSTRUCTA insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_SORT;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  std::string caption = fw::LoadResourceString(IDS_PLAY_LISTS);
  insert.item.pszText = caption.data();
  insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = 0;
  rootItem = TreeView_InsertItem(playlistTree, &insert);

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

void SetupDialog::CreateImageList() {
  imageList = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TREE_IMAGES),
                                   16, 3, kTransparentMagenta, IMAGE_BITMAP, 0);
  TreeView_SetImageList(playlistTree, imageList, TVSIL_NORMAL);
  ListView_SetImageList(nowPlayingBox, imageList, LVSIL_SMALL);
}

void SetupDialog::LoadPlaylists() {
  unsigned long readError = 0;
  PlaylistSet set = playlistFile.LoadPlaylists(&readError);
  if (readError)
    MessageBoxA(hwnd(), ReadFailureText(playlistFile.Path().value_or("velora.ini"), readError).c_str(),
                fw::ProgramTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);

  HTREEITEM toSelect = nullptr;
  for (size_t s = 0; s < set.strayMovies.size(); ++s) {
    HTREEITEM item = AddMovieItem(nullptr, set.strayMovies[s].path);
    if (set.nowPlaying.kind == NowPlaying::Kind::StrayMovie && static_cast<int>(s) == set.nowPlaying.movie)
      toSelect = item;
  }
  for (size_t p = 0; p < set.playlists.size(); ++p) {
    const Playlist& playlist = set.playlists[p];
    HTREEITEM playlistItem = AddPlaylistItem(playlist.name);
    const bool marked = static_cast<int>(p) == set.nowPlaying.playlist;
    if (marked && set.nowPlaying.kind == NowPlaying::Kind::Playlist) toSelect = playlistItem;
    for (size_t m = 0; m < playlist.movies.size(); ++m) {
      HTREEITEM movieItem = AddMovieItem(playlistItem, playlist.movies[m].path);
      if (marked && set.nowPlaying.kind == NowPlaying::Kind::Movie &&
          static_cast<int>(m) == set.nowPlaying.movie)
        toSelect = movieItem;
    }
  }
  if (toSelect) {
    TreeView_SelectItem(playlistTree, toSelect);
    TreeView_EnsureVisible(playlistTree, toSelect);
    SetNowPlaying();
  }
}

void SetupDialog::OnOK() {
  SaveFailure failure;
  if (playlistFile.SavePlaylists(TreeToModel(), &failure)) {
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
  const bool hasParent = subject && ParentOf(subject);
  const bool isPlaylist = hasParent && !PathOf(subject);
  EnableWindow(Item(IDC_ADD_MOVIE), isPlaylist);
  EnableWindow(Item(IDC_SET), hasParent);
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
  AddPlaylistItem(StorablePlaylistName(dialog.playlistName));
  TreeView_Expand(playlistTree, rootItem, TVE_EXPAND);
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
  if (PathOf(item) || !ParentOf(item)) return TRUE;
  if (HWND edit = TreeView_GetEditControl(playlistTree)) {
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
  if (info->item.pszText) {
    std::string name = StorablePlaylistName(info->item.pszText);
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = info->item.hItem;
    item.pszText = name.data();
    TreeView_SetItem(playlistTree, &item);
  }
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

LRESULT SetupDialog::OnGetDisplayInfo(fw::Message& msg) {
  auto* info = reinterpret_cast<NMTVDISPINFOA*>(msg.lParam);
  auto* movie = reinterpret_cast<MovieItem*>(info->item.lParam);
  if (movie) Resolve(*movie);
  if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))
    info->item.iImage = info->item.iSelectedImage = movie ? movie->image : FolderImage(info->item.hItem);
  if (movie && (info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0)
    lstrcpynA(info->item.pszText, movie->title.c_str(), info->item.cchTextMax);
  return 0;
}

LRESULT SetupDialog::OnItemDeleted(fw::Message& msg) {
  auto* deleted = reinterpret_cast<NMTREEVIEWA*>(msg.lParam);
  HTREEITEM item = deleted->itemOld.hItem;
  // A deleted item (or a movie of a deleted playlist) is no longer playing,
  // and no later command may reach it through a stale handle.
  if (item == nowPlayingItem) nowPlayingItem = nullptr;
  if (item == contextItem) contextItem = nullptr;
  if (item == dragItem) dragItem = nullptr;
  if (item == dropTarget) dropTarget = nullptr;
  return 0;
}

LRESULT SetupDialog::OnDestroy(fw::Message&) {
  if (dragging) EndDrag();
  return Default();
}

}  // namespace velora
