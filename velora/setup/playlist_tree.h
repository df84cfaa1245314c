#pragma once
// The setup dialog's tree of playlists and movies, a thin object over the
// dialog's tree control: the root "Play Lists" with the playlists in name
// order under it, the movies with the titles and icons the shell gives their
// files, the now-playing item, the items' context menu and the dragging of a
// movie to another place. The dialog forwards the tree's notifications to it,
// and its own mouse messages while a movie is dragged.
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <map>
#include <string>

#include "velora/playlists/core/playlist_model.h"

namespace velora {

class PlaylistTree {
 public:
  // With `newShell` (Windows 95 / NT 4 or later) movies show the titles and
  // icons the shell gives their files.
  explicit PlaylistTree(bool newShell) : newShell(newShell) {}
  ~PlaylistTree();
  PlaylistTree(const PlaylistTree&) = delete;
  PlaylistTree& operator=(const PlaylistTree&) = delete;

  // Takes over the dialog's tree control: gives it the folder and movie
  // images and inserts the root. `instance` is the module that holds the
  // images and the context menu.
  void Attach(HWND treeView, HINSTANCE instance);
  HWND hwnd() const { return treeView; }
  // The tree's images, for the Now Playing box to show an item as the tree does.
  HIMAGELIST Images() const { return imageList; }
  // The pictures drawn for a DPI (at first the dialog's); the list views
  // that share them are to be given the new list.
  void UseImagesFor(UINT dpi);

  // Inserts a playlist under the root at its alphabetical place.
  HTREEITEM AddPlaylistItem(const std::string& name);
  // Appends a movie to a playlist (or, without one, to the top level) with
  // the title and icon the shell gives its file.
  HTREEITEM AddMovieItem(HTREEITEM playlistItem, const std::string& path);
  // Deletes an item, a playlist with its movies; never the root.
  void DeleteItem(HTREEITEM item);

  HTREEITEM Root() const { return rootItem; }
  HTREEITEM SelectedItem() const { return TreeView_GetSelection(treeView); }
  // Selects an item and opens its playlist so that it can be seen.
  void Select(HTREEITEM item) const {
    TreeView_SelectItem(treeView, item);
    TreeView_EnsureVisible(treeView, item);
  }
  void Expand(HTREEITEM item) const { TreeView_Expand(treeView, item, TVE_EXPAND); }
  // What the saver plays, and OK marks in the playlist file; none when the
  // item is deleted.
  void SetNowPlayingItem(HTREEITEM item) { nowPlayingItem = item; }

  // A movie's full path; nothing for the root and playlists.
  const std::string* PathOf(HTREEITEM item) const;
  HTREEITEM ParentOf(HTREEITEM item) const { return TreeView_GetParent(treeView, item); }
  // Only playlists have names of their own: an item without a path under the root.
  bool IsPlaylist(HTREEITEM item) const { return item && ParentOf(item) && !PathOf(item); }
  // The label the tree holds: a playlist's name, the root's caption.
  std::string LabelOf(HTREEITEM item) const;
  // What the tree shows for an item: its label and its image.
  std::string ItemLabel(HTREEITEM item);
  int ItemImage(HTREEITEM item);
  // The model the tree holds: the root's children are the playlists, theirs the movies.
  PlaylistSet TreeToModel() const;

  // Renaming a playlist in place: the edit starts only while the tree has the focus.
  void EditLabel(HTREEITEM item) const {
    SetFocus(treeView);
    TreeView_EditLabel(treeView, item);
  }
  HWND LabelEditControl() const { return TreeView_GetEditControl(treeView); }
  // The label exactly as given: a renamed playlist keeps its place.
  void SetLabel(HTREEITEM item, std::string label) const;

  // The tree asks for what it draws: a movie's title and image, a folder's image.
  void FillDisplayInfo(NMTVDISPINFOA& info);
  // An item is gone (a playlist's movies go with it).
  void ItemDeleted(HTREEITEM item);

  // A right click: the menu for the item under the pointer, whose commands go
  // to the dialog and act on `ContextItem`.
  void ShowContextMenu();
  HTREEITEM ContextItem() const { return contextItem; }

  // Dragging a movie with the left button, while the dialog holds the mouse.
  void BeginDrag(const NMTREEVIEWA& info);
  bool Dragging() const { return dragging; }
  // The pointer moved to a point of the screen: the movie's picture follows
  // it, and the item there is highlighted where the movie may land.
  void FollowDrag(POINT screen);
  // Moves the dragged movie to where it was released, if anywhere. Answers
  // true when that movie was the now-playing one, now to be set again in its
  // new place.
  bool Drop();
  // The mouse went to `newCapture`: if another window took it, the drag ends
  // and nothing moves.
  void CaptureChanged(HWND newCapture);
  // Ends a drag, dropped or not: cursor, capture, drag image and highlight.
  void EndDrag();

 private:
  friend class SetupDialogTestAccess;

  // A movie item's data: its path, and the title and image the shell gives its
  // file, worked out the first time the tree draws the item.
  struct MovieItem {
    std::string path;
    bool resolved = false;
    std::string title;
    int image = 0;
  };
  MovieItem* MovieOf(HTREEITEM item) const;
  HTREEITEM InsertMovie(HTREEITEM parent, HTREEITEM after, MovieItem* movie);
  void Resolve(MovieItem& movie);
  // Appends the icon to the image list and destroys it; the new image's index, or -1.
  int AddIconImage(HICON icon);
  // Folder rule: the open folder for an expanded item with children.
  int FolderImage(HTREEITEM item) const;
  // The tree item under a point of the screen, if any.
  HTREEITEM ItemAt(POINT screen) const;
  HIMAGELIST DragImageOf(HTREEITEM item);
  void HighlightDropTarget(HTREEITEM target);
  // Answers whether the movie moved: a tree may refuse the new item.
  bool MoveDraggedMovie(HTREEITEM target);

  HWND treeView = nullptr;
  // The setup dialog: it owns the context menu and holds the mouse during a drag.
  HWND dialog = nullptr;
  HINSTANCE instance = nullptr;
  const bool newShell;
  HIMAGELIST imageList = nullptr;
  HTREEITEM rootItem = nullptr;
  HTREEITEM nowPlayingItem = nullptr;
  // The item of the last right click: the context menu's commands act on it.
  HTREEITEM contextItem = nullptr;
  HTREEITEM dragItem = nullptr;
  bool dragging = false;
  // Where the dragged movie would land: the item under the pointer at the last
  // move, unless that is the root or the movie itself.
  HTREEITEM dropTarget = nullptr;
  // The movie items' data; an item's data points into this store.
  std::deque<MovieItem> movies;
  // The image that shows each system icon (by its index in the system's image list).
  std::map<int, int> imageOfSystemIcon;
};

}  // namespace velora
