// The playlist tree's items: the root, playlists in name order under it,
// movies with their records, the now-playing item, the model the tree holds,
// and the context menu of an item.
#include "velora/setup/playlist_tree.h"

#include "framework/dpi.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

constexpr COLORREF kTransparentMagenta = RGB(255, 0, 255);
constexpr int kTreeImageSize = 16;  // at 100 %

}  // namespace

PlaylistTree::~PlaylistTree() {
  if (imageList) ImageList_Destroy(imageList);
}

void PlaylistTree::UseImagesFor(UINT dpi) {
  const int scale = fw::ArtScaleFor(dpi), size = fw::ArtSize(kTreeImageSize, scale);
  fw::UniqueBitmap pictures(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDB_TREE_IMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (scale != 100) pictures = fw::ScaledBitmap(pictures.get(), scale);
  HIMAGELIST made = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 3);
  if (made && pictures) ImageList_AddMasked(made, pictures.get(), kTransparentMagenta);
  TreeView_SetImageList(treeView, made, TVSIL_NORMAL);
  if (imageList) ImageList_Destroy(imageList);
  imageList = made;
  // The shell's icons go into the new list again as the tree draws their items.
  imageOfSystemIcon.clear();
  for (MovieItem& movie : movies) movie.resolved = false;
}

void PlaylistTree::Attach(HWND tree, HINSTANCE module) {
  treeView = tree;
  dialog = GetParent(tree);
  instance = module;
  UseImagesFor(fw::DpiOf(dialog));

  TVINSERTSTRUCTA insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_SORT;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  std::string caption = fw::LoadResourceString(IDS_PLAY_LISTS);
  insert.item.pszText = caption.data();
  insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = 0;
  rootItem = TreeView_InsertItem(treeView, &insert);
}

HTREEITEM PlaylistTree::AddPlaylistItem(const std::string& name) {
  // Before the first playlist whose name sorts after the new one.
  HTREEITEM after = TVI_FIRST;
  for (HTREEITEM child = TreeView_GetChild(treeView, rootItem); child;
       child = TreeView_GetNextSibling(treeView, child)) {
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
  return TreeView_InsertItem(treeView, &insert);
}

HTREEITEM PlaylistTree::AddMovieItem(HTREEITEM playlistItem, const std::string& path) {
  movies.emplace_back();
  movies.back().path = path;
  return InsertMovie(playlistItem, TVI_LAST, &movies.back());
}

HTREEITEM PlaylistTree::InsertMovie(HTREEITEM parent, HTREEITEM after, MovieItem* movie) {
  // Title and icon are asked for when the item is drawn: asking the shell for
  // thousands of files would keep a large playlist file from opening quickly.
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = LPSTR_TEXTCALLBACKA;
  insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.lParam = reinterpret_cast<LPARAM>(movie);
  return TreeView_InsertItem(treeView, &insert);
}

void PlaylistTree::DeleteItem(HTREEITEM item) {
  // The root holds every playlist and stays for the dialog's whole life.
  if (!item || item == rootItem) return;
  TreeView_DeleteItem(treeView, item);
}

void PlaylistTree::ItemDeleted(HTREEITEM item) {
  // A deleted item (or a movie of a deleted playlist) is no longer playing,
  // and no later command may reach it through a stale handle.
  if (item == nowPlayingItem) nowPlayingItem = nullptr;
  if (item == contextItem) contextItem = nullptr;
  if (item == dragItem) dragItem = nullptr;
  if (item == dropTarget) dropTarget = nullptr;
}

PlaylistSet PlaylistTree::TreeToModel() const {
  PlaylistSet set;
  for (HTREEITEM p = TreeView_GetChild(treeView, rootItem); p; p = TreeView_GetNextSibling(treeView, p)) {
    Playlist playlist;
    playlist.name = LabelOf(p);
    const int playlistIndex = static_cast<int>(set.playlists.size());
    if (p == nowPlayingItem) set.nowPlaying = {NowPlaying::Kind::Playlist, playlistIndex, -1};
    for (HTREEITEM m = TreeView_GetChild(treeView, p); m; m = TreeView_GetNextSibling(treeView, m)) {
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

PlaylistTree::MovieItem* PlaylistTree::MovieOf(HTREEITEM item) const {
  TVITEMA data{};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!item || !TreeView_GetItem(treeView, &data)) return nullptr;
  return reinterpret_cast<MovieItem*>(data.lParam);
}

const std::string* PlaylistTree::PathOf(HTREEITEM item) const {
  const MovieItem* movie = MovieOf(item);
  return movie ? &movie->path : nullptr;
}

std::string PlaylistTree::LabelOf(HTREEITEM item) const {
  char text[256] = {};
  TVITEMA data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  TreeView_GetItem(treeView, &data);
  return text;
}

void PlaylistTree::SetLabel(HTREEITEM item, std::string label) const {
  TVITEMA data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = label.data();
  TreeView_SetItem(treeView, &data);
}

HTREEITEM PlaylistTree::ItemAt(POINT screen) const {
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(treeView, &hit.pt);
  return TreeView_HitTest(treeView, &hit);
}

void PlaylistTree::ShowContextMenu() {
  POINT screen{};
  GetCursorPos(&screen);
  contextItem = ItemAt(screen);
  // Where there is no item there is nothing to offer.
  if (!contextItem) return;
  fw::UniqueMenu menus(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_CONTEXT_MENUS)));
  HMENU popup = GetSubMenu(menus.get(), PathOf(contextItem) ? CONTEXT_MENU_MOVIE : CONTEXT_MENU_FOLDER);
  if (popup) TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, dialog, nullptr);
}

}  // namespace velora
