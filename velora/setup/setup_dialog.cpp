#include "velora/setup/setup_dialog.h"

#include <shellapi.h>
#include <sys/stat.h>
#include <vfw.h>

#include <cstdlib>

#include "framework/app.h"
#include "velora/playback/movie_device.h"
#include "velora/playback/movie_file.h"
#include "velora/playlists/playlist_model.h"
#include "velora/resources/resource_ids.h"
#include "velora/playlists/playlist_format.h"
#include "velora/setup/about_dialog.h"
#include "velora/setup/fallback_preview.h"
#include "velora/setup/file_selection.h"
#include "velora/setup/options_dialog.h"
#include "velora/setup/text_dialogs.h"

namespace velora {

namespace {

constexpr COLORREF kTransparentMagenta = RGB(255, 0, 255);
// Room for a few hundred movies chosen at once.
constexpr DWORD kFileSelectionChars = 64 * 1024;

// The name part of a path: no directory, no extension.
std::string FileTitle(const std::string& path) {
  char name[_MAX_FNAME] = {};
  _splitpath(path.c_str(), nullptr, nullptr, name, nullptr);
  return name;
}

// What the user is told when OK could not save: which file, where, and the system's reason.
std::string SaveFailureText(const SaveFailure& failure) {
  std::string text = failure.step == SaveFailure::Step::Backup
                         ? "The playlists were not saved: the copy of the old playlist file could not be kept."
                         : "The playlists could not be saved.";
  text += "\n\n" + failure.path + "\n\n" + fw::SystemErrorText(failure.error);
  text += "\nClose any program that uses the file and press OK again, or press Cancel to give up the changes.";
  return text;
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
  imageList = ImageList_LoadImageA(fw::App::Current()->Instance(), MAKEINTRESOURCEA(IDB_TREE_IMAGES),
                                   16, 3, kTransparentMagenta, IMAGE_BITMAP, 0);
  TreeView_SetImageList(playlistTree, imageList, TVSIL_NORMAL);
  ListView_SetImageList(nowPlayingBox, imageList, LVSIL_SMALL);
}

void SetupDialog::LoadPlaylists() {
  PlaylistSet set = playlistFile.LoadPlaylists();

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

HTREEITEM SetupDialog::AddPlaylistItem(const std::string& name) {
  // Before the first playlist whose name sorts after the new one.
  HTREEITEM after = TVI_FIRST;
  for (HTREEITEM child = TreeView_GetChild(playlistTree, rootItem); child;
       child = TreeView_GetNextSibling(playlistTree, child)) {
    if (ComparePlaylistNames(LabelOf(child), name) > 0) break;
    after = child;
  }
  TVINSERTSTRUCTA insert{};
  insert.hParent = rootItem;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  std::string text = name;
  insert.item.pszText = text.data();
  insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = 0;
  return TreeView_InsertItem(playlistTree, &insert);
}

HTREEITEM SetupDialog::AddMovieItem(HTREEITEM playlistItem, const std::string& path) {
  movies.emplace_back();
  movies.back().path = path;
  return InsertMovie(playlistItem, TVI_LAST, &movies.back());
}

HTREEITEM SetupDialog::InsertMovie(HTREEITEM parent, HTREEITEM after, MovieItem* movie) {
  // Title and icon are asked for when the item is drawn: asking the shell for
  // thousands of files would keep a large playlist file from opening quickly.
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = LPSTR_TEXTCALLBACKA;
  insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = reinterpret_cast<LPARAM>(movie);
  return TreeView_InsertItem(playlistTree, &insert);
}

void SetupDialog::Resolve(MovieItem& movie) {
  if (movie.resolved) return;
  movie.resolved = true;
  const std::string& path = movie.path;
  int image = TREE_IMAGE_MOVIE;
  if (newShell) {
    SHFILEINFOA info{};
    auto systemList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (systemList) {
      // Movies of one type show the same system icon: they share one image.
      auto shared = imageOfSystemIcon.find(info.iIcon);
      if (shared != imageOfSystemIcon.end()) {
        image = shared->second;
      } else if (int added = AddIconImage(ImageList_GetIcon(systemList, info.iIcon, ILD_NORMAL)); added >= 0) {
        image = imageOfSystemIcon[info.iIcon] = added;
      }
    }
  } else if (path.find("wav") != std::string::npos || path.find("WAV") != std::string::npos) {
    char copy[MAX_PATH] = {};
    lstrcpynA(copy, path.c_str(), MAX_PATH);
    WORD index = 2;
    if (int added = AddIconImage(ExtractAssociatedIconA(fw::App::Current()->Instance(), copy, &index)); added >= 0)
      image = added;
  }

  if (newShell) {
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_TYPENAME)) {
      movie.title = info.szDisplayName;
    } else {
      movie.title = path;
      image = TREE_IMAGE_MISSING;
    }
  } else {
    struct _stat status;
    if (_stat(path.c_str(), &status) == 0) {
      movie.title = FileTitle(path);
    } else {
      movie.title = path;
      image = TREE_IMAGE_MISSING;
    }
  }
  movie.image = image;
}

int SetupDialog::AddIconImage(HICON icon) {
  // The image list keeps a copy; the icon itself (a user object and two
  // bitmaps) would otherwise stay until the dialog closes, one per movie.
  fw::UniqueIcon owned(icon);
  return owned ? ImageList_ReplaceIcon(imageList, -1, owned.get()) : -1;
}

SetupDialog::MovieItem* SetupDialog::MovieOf(HTREEITEM item) const {
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!item || !TreeView_GetItem(playlistTree, &data)) return nullptr;
  return reinterpret_cast<MovieItem*>(data.lParam);
}

std::string SetupDialog::ItemLabel(HTREEITEM item) {
  if (MovieItem* movie = MovieOf(item)) {
    Resolve(*movie);
    return movie->title.substr(0, 255);
  }
  return LabelOf(item);
}

int SetupDialog::ItemImage(HTREEITEM item) {
  if (MovieItem* movie = MovieOf(item)) {
    Resolve(*movie);
    return movie->image;
  }
  return FolderImage(item);
}

void SetupDialog::SetNowPlaying() {
  nowPlayingItem = SelectedItem();
  if (!nowPlayingItem) return;
  std::string label = ItemLabel(nowPlayingItem);
  int image = ItemImage(nowPlayingItem);

  if (ListView_GetItemCount(nowPlayingBox) > 0) ListView_DeleteItem(nowPlayingBox, 0);
  LVITEMA entry{};
  entry.mask = LVIF_TEXT | LVIF_IMAGE;
  entry.iItem = 0;
  entry.pszText = label.data();
  entry.iImage = image;
  ListView_InsertItem(nowPlayingBox, &entry);
}

void SetupDialog::DeleteItem(HTREEITEM item) {
  // The root holds every playlist and stays for the dialog's whole life.
  if (!item || item == rootItem) return;
  TreeView_DeleteItem(playlistTree, item);
}

HTREEITEM SetupDialog::SelectedItem() const { return TreeView_GetSelection(playlistTree); }

PlaylistSet SetupDialog::TreeToModel() const {
  PlaylistSet set;
  for (HTREEITEM p = TreeView_GetChild(playlistTree, rootItem); p;
       p = TreeView_GetNextSibling(playlistTree, p)) {
    Playlist playlist;
    playlist.name = LabelOf(p);
    const int playlistIndex = static_cast<int>(set.playlists.size());
    if (p == nowPlayingItem) set.nowPlaying = {NowPlaying::Kind::Playlist, playlistIndex, -1};
    for (HTREEITEM m = TreeView_GetChild(playlistTree, p); m; m = TreeView_GetNextSibling(playlistTree, m)) {
      const std::string* path = PathOf(m);
      if (!path) continue;
      if (m == nowPlayingItem)
        set.nowPlaying = {NowPlaying::Kind::Movie, playlistIndex, static_cast<int>(playlist.movies.size())};
      playlist.movies.push_back({*path});
    }
    set.playlists.push_back(std::move(playlist));
  }
  return set;
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
  MessageBoxA(hwnd(), SaveFailureText(failure).c_str(), fw::App::Current()->AppName().c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

void SetupDialog::EnableButtonsFor(HTREEITEM subject) {
  const bool hasParent = subject && ParentOf(subject);
  const bool isPlaylist = hasParent && !PathOf(subject);
  EnableWindow(Item(IDC_ADD_MOVIE), isPlaylist);
  EnableWindow(Item(IDC_SET), hasParent);
}

int SetupDialog::FolderImage(HTREEITEM item) const {
  const bool expanded = (TreeView_GetItemState(playlistTree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return expanded && TreeView_GetChild(playlistTree, item) ? TREE_IMAGE_OPEN_FOLDER : TREE_IMAGE_CLOSED_FOLDER;
}

const std::string* SetupDialog::PathOf(HTREEITEM item) const {
  const MovieItem* movie = MovieOf(item);
  return movie ? &movie->path : nullptr;
}

HTREEITEM SetupDialog::ParentOf(HTREEITEM item) const { return TreeView_GetParent(playlistTree, item); }

std::string SetupDialog::LabelOf(HTREEITEM item) const {
  char text[256] = {};
  TVITEMA data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  TreeView_GetItem(playlistTree, &data);
  return text;
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

LRESULT SetupDialog::OnAddMovie(fw::Message&) {
  std::string title = fw::LoadResourceString(IDS_ADD_MOVIES_TITLE);
  static const char kFilter[] =
      "Microsoft AVI Files\0*.avi\0Microsoft Waveform Audio Files\0*.wav\0All Files (*.*)\0*.*\0";
  std::vector<char> result(kFileSelectionChars, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = result.data();
  ofn.nMaxFile = kFileSelectionChars;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNamePreviewA(&ofn)) return 0;

  HTREEITEM target = SelectedItem();
  if (!target) return 0;
  auto exists = [](const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  for (const std::string& path :
       SplitFileSelection(std::string_view(result.data(), result.size()), newShell, exists)) {
    // A path longer than the playlist file holds could not be played back; leave it out.
    if (StorableMoviePath(path) != path) continue;
    AddMovieItem(target, path);
  }
  TreeView_Expand(playlistTree, target, TVE_EXPAND);
  return 0;
}

LRESULT SetupDialog::OnOptions(fw::Message&) {
  RunOptions(hwnd(), settings);
  return 0;
}

LRESULT SetupDialog::OnItemLocation(fw::Message&) {
  const std::string* path = contextItem ? PathOf(contextItem) : nullptr;
  if (!path) return 0;
  MovieLocationDialog(hwnd(), *path).DoModal();
  return 0;
}

LRESULT SetupDialog::OnItemPreview(fw::Message&) {
  const std::string* path = contextItem ? PathOf(contextItem) : nullptr;
  if (!path) return 0;
  const bool reverse = settings.Reverse != 0;
  if (OpenFallbackPreview(hwnd(), *path, reverse)) return 0;
  HWND preview = MCIWndCreateA(hwnd(), fw::App::Current()->Instance(),
                               WS_CAPTION | WS_THICKFRAME | MCIWNDF_NOMENU | MCIWNDF_SHOWNAME |
                                   MCIWNDF_NOTIFYMODE | MCIWNDF_NOOPEN,
                               nullptr);
  if (!preview) return 0;
  sendToPreview(preview, MCIWNDM_OPENA, 0, reinterpret_cast<LPARAM>(path->c_str()));
  ShowWindow(preview, SW_SHOW);
  auto deviceCanReverse = [&] {
    return CanPlayBackwards(SystemMci(), static_cast<MCIDEVICEID>(sendToPreview(preview, MCIWNDM_GETDEVICEID, 0, 0)));
  };
  if (PlaysBackwards(reverse, *path, deviceCanReverse))
    sendToPreview(preview, MCIWNDM_PLAYREVERSE, 0, 0);
  else
    sendToPreview(preview, MCI_PLAY, 0, 0);
  return 0;
}

LRESULT SetupDialog::OnPreviewMode(fw::Message& msg) {
  // A preview whose movie has ended, or that the user stopped, closes itself.
  // Posted: the preview is still inside its own notification.
  if (msg.lParam == MCI_MODE_STOP) PostMessageA(reinterpret_cast<HWND>(msg.wParam), WM_CLOSE, 0, 0);
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
