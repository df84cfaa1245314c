#pragma once
// The setup dialog: the user's playlists and movies as a tree, the now-playing
// item, and OK that writes them back to the playlist file.
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "velora/playback/playback_settings.h"
#include "velora/playlists/playlist_file.h"
#include "velora/setup/label_edit_box.h"

namespace velora {

class SetupDialog : public fw::Dialog {
 public:
  // Edits the playlists of `file`; Options edits `settings`, which the caller
  // stores when the dialog ends with OK. With `newShell` (Windows 95 / NT 4 or
  // later) movies show the titles and icons the shell gives their files.
  SetupDialog(PlaylistFile file, PlaybackSettings& settings, bool newShell);
  ~SetupDialog() override;

  // The Delete key: deletes an item (not the root) of the tree.
  void DeleteItem(HTREEITEM item);
  HTREEITEM SelectedItem() const;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnSetClicked(fw::Message& msg);
  LRESULT OnAboutClicked(fw::Message& msg);
  LRESULT OnAddPlaylist(fw::Message& msg);
  LRESULT OnAddMovie(fw::Message& msg);
  LRESULT OnOptions(fw::Message& msg);
  LRESULT OnItemLocation(fw::Message& msg);
  LRESULT OnItemPreview(fw::Message& msg);
  LRESULT OnPreviewMode(fw::Message& msg);
  LRESULT OnBeginLabelEdit(fw::Message& msg);
  LRESULT OnEndLabelEdit(fw::Message& msg);
  LRESULT OnSysCommand(fw::Message& msg);
  LRESULT OnSelectionChanged(fw::Message& msg);
  LRESULT OnGetDisplayInfo(fw::Message& msg);
  LRESULT OnItemDeleted(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);
  // The tree's mouse gestures (tree_gestures.cpp).
  LRESULT OnTreeRightClick(fw::Message& msg);
  LRESULT OnItemDelete(fw::Message& msg);
  LRESULT OnItemRename(fw::Message& msg);
  LRESULT OnBeginDrag(fw::Message& msg);
  LRESULT OnMouseMove(fw::Message& msg);
  LRESULT OnLeftButtonUp(fw::Message& msg);
  LRESULT OnCaptureChanged(fw::Message& msg);

 private:
  friend class SetupDialogTestAccess;

  // Inserts a playlist under the root at its alphabetical place.
  HTREEITEM AddPlaylistItem(const std::string& name);
  // Appends a movie to a playlist (or, without one, to the top level) with
  // the title and icon the shell gives its file.
  HTREEITEM AddMovieItem(HTREEITEM playlistItem, const std::string& path);
  // Makes the selected item the now-playing one and shows it in the box.
  void SetNowPlaying();
  // What the tree shows for an item: its label and its image.
  std::string ItemLabel(HTREEITEM item);
  int ItemImage(HTREEITEM item);
  // A movie's full path; nothing for the root and playlists.
  const std::string* PathOf(HTREEITEM item) const;
  // The model the tree holds: the root's children are the playlists, theirs the movies.
  PlaylistSet TreeToModel() const;

  void AddSystemMenuAbout();
  void CreateImageList();
  void LoadPlaylists();
  void EnableButtonsFor(HTREEITEM subject);
  // Folder rule: the open folder for an expanded item with children.
  int FolderImage(HTREEITEM item) const;
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
  HIMAGELIST DragImageOf(HTREEITEM item);
  // The tree item under a point of the screen, if any.
  HTREEITEM ItemAt(POINT screen) const;
  void MoveDraggedMovie(HTREEITEM target);
  // Ends a drag, dropped or not: cursor, capture, drag image and highlight.
  void EndDrag();
  void HighlightDropTarget(HTREEITEM target);
  void Resolve(MovieItem& movie);
  // Appends the icon to the image list and destroys it; the new image's index, or -1.
  int AddIconImage(HICON icon);
  HTREEITEM ParentOf(HTREEITEM item) const;
  std::string LabelOf(HTREEITEM item) const;

  HWND playlistTree = nullptr;
  HWND nowPlayingBox = nullptr;
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
  // The rename in progress; the box frees itself with the tree's edit control.
  LabelEditBox* editBox = nullptr;
  // How commands reach a movie preview window; tests watch them here, since
  // not every system plays backwards.
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> sendToPreview = &SendMessageA;

  PlaylistFile playlistFile;
  PlaybackSettings& settings;
  const bool newShell;
  // The movie items' data; an item's data points into this store.
  std::deque<MovieItem> movies;
  // The image that shows each system icon (by its index in the system's image list).
  std::map<int, int> imageOfSystemIcon;
};

}  // namespace velora
