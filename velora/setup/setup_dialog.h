#pragma once
// The setup dialog: the user's playlists and movies as a tree, the now-playing
// item, and OK that writes them back to the playlist file.
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "velora/playlists/playlist_file.h"

namespace velora {

class SetupDialog : public fw::Dialog {
 public:
  SetupDialog();
  ~SetupDialog() override;

  // Inserts a playlist under the root at its alphabetical place.
  HTREEITEM AddPlaylistItem(const std::string& name);
  // Appends a movie to a playlist (or, without one, to the top level) with
  // the title and icon the shell gives its file.
  HTREEITEM AddMovieItem(HTREEITEM playlistItem, const std::string& path);
  // Makes the selected item the now-playing one and shows it in the box.
  void SetNowPlaying();
  void DeleteItem(HTREEITEM item);

  HTREEITEM SelectedItem() const;
  // The model the tree holds: the root's children are the playlists, theirs the movies.
  PlaylistSet TreeToModel() const;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

  FW_DECLARE_MESSAGE_MAP()
  LRESULT OnSetClicked(fw::Message& msg);
  LRESULT OnAboutClicked(fw::Message& msg);
  LRESULT OnSysCommand(fw::Message& msg);
  LRESULT OnSelectionChanged(fw::Message& msg);
  LRESULT OnGetDisplayInfo(fw::Message& msg);
  LRESULT OnItemDeleted(fw::Message& msg);
  LRESULT OnDestroy(fw::Message& msg);

 private:
  void AddSystemMenuAbout();
  void CreateImageList();
  void LoadPlaylists();
  void EnableButtonsFor(HTREEITEM subject);
  // Folder rule: the open folder for an expanded item with children.
  int FolderImage(HTREEITEM item) const;
  const std::string* PathOf(HTREEITEM item) const;
  HTREEITEM ParentOf(HTREEITEM item) const;
  std::string LabelOf(HTREEITEM item) const;

 public:
  HWND playlistTree = nullptr;
  HWND nowPlayingBox = nullptr;
  HIMAGELIST imageList = nullptr;
  HTREEITEM rootItem = nullptr;
  HTREEITEM nowPlayingItem = nullptr;

 private:
  PlaylistFile playlistFile;
  // The movie items' paths; an item's data points into this store.
  std::deque<std::string> moviePaths;
  std::vector<fw::UniqueIcon> extractedIcons;
};

}  // namespace velora
