// The setup dialog's tree items: playlists in name order under the root,
// movies with the title and icon the shell gives their files, the now-playing
// item, and the model the tree holds.
#include "velora/setup/setup_dialog.h"

#include <shellapi.h>
#include <sys/stat.h>

#include <cstdlib>

#include "framework/handles.h"
#include "velora/playlists/core/playlist_model.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

// The name part of a path: no directory, no extension.
std::string FileTitle(const std::string& path) {
  char name[_MAX_FNAME] = {};
  _splitpath(path.c_str(), nullptr, nullptr, name, nullptr);
  return name;
}

}  // namespace

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
    if (int added = AddIconImage(ExtractAssociatedIconA(GetModuleHandleA(nullptr), copy, &index)); added >= 0)
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

}  // namespace velora
