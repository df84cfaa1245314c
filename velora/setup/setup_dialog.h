#pragma once
// The setup dialog: the user's playlists and movies as a tree, the now-playing
// item, and OK that writes them back to the playlist file.
#include <windows.h>
#include <commctrl.h>


#include "framework/dialog.h"
#include "velora/playback/playback_settings.h"
#include "velora/playlists/playlist_file.h"
#include "velora/setup/label_edit_box.h"
#include "velora/setup/playlist_tree.h"

namespace velora {

// How the dialog's commands reach a movie preview window: SendMessage, or in
// tests a recorder, since not every system plays backwards.
class PreviewPort {
 public:
  virtual ~PreviewPort() = default;
  virtual LRESULT Send(HWND preview, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};
PreviewPort& SystemPreviewPort();

class SetupDialog : public fw::Dialog {
 public:
  // Edits the playlists of `file`; Options edits `settings`, which the caller
  // stores when the dialog ends with OK. With `newShell` (Windows 95 / NT 4 or
  // later) movies show the titles and icons the shell gives their files.
  SetupDialog(PlaylistFile file, PlaybackSettings& settings, bool newShell,
              PreviewPort& previews = SystemPreviewPort());

  // The Delete key: deletes an item (not the root) of the tree.
  void DeleteItem(HTREEITEM item) { playlistTree.DeleteItem(item); }
  HTREEITEM SelectedItem() const { return playlistTree.SelectedItem(); }

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
  LRESULT OnDestroy(fw::Message& msg);
  LRESULT OnDpiChanged(fw::Message& msg);
  // What the tree itself handles: its drawing, its items and the mouse.
  LRESULT OnGetDisplayInfo(fw::Message& msg);
  LRESULT OnItemDeleted(fw::Message& msg);
  LRESULT OnTreeRightClick(fw::Message& msg);
  LRESULT OnItemDelete(fw::Message& msg);
  LRESULT OnItemRename(fw::Message& msg);
  LRESULT OnBeginDrag(fw::Message& msg);
  LRESULT OnMouseMove(fw::Message& msg);
  LRESULT OnLeftButtonUp(fw::Message& msg);
  LRESULT OnCaptureChanged(fw::Message& msg);

 private:
  friend class SetupDialogTestAccess;

  // Makes the selected item the now-playing one and shows it in the box.
  void SetNowPlaying();
  void AddSystemMenuAbout();
  void LoadPlaylists();
  void EnableButtonsFor(HTREEITEM subject);
  // The module the dialog came from: it holds the tree's images and menu,
  // and the movie previews are its windows.
  HINSTANCE Instance() const { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd(), GWLP_HINSTANCE)); }

  PlaylistTree playlistTree;
  HWND nowPlayingBox = nullptr;
  // The rename in progress; the box frees itself with the tree's edit control.
  LabelEditBox* editBox = nullptr;
  PreviewPort& previews;

  PlaylistFile playlistFile;
  PlaybackSettings& settings;
  const bool newShell;
};

}  // namespace velora
