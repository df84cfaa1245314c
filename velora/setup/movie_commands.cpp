// The setup dialog's commands on movie files: adding them through the file
// dialog, showing where one is, and previewing one in a window of its own.
#include "velora/setup/setup_dialog.h"

#include <vfw.h>

#include <vector>

#include "velora/playback/movie_device.h"
#include "velora/playback/core/movie_file.h"
#include "velora/playlists/core/playlist_format.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/fallback_preview.h"
#include "velora/setup/core/file_selection.h"
#include "velora/setup/text_dialogs.h"

namespace velora {

namespace {

// Room for a few hundred movies chosen at once.
constexpr DWORD kFileSelectionChars = 64 * 1024;

}  // namespace

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
    playlistTree.AddMovieItem(target, path);
  }
  playlistTree.Expand(target);
  return 0;
}

LRESULT SetupDialog::OnItemLocation(fw::Message&) {
  const std::string* path = playlistTree.PathOf(playlistTree.ContextItem());
  if (!path) return 0;
  MovieLocationDialog(hwnd(), *path).DoModal();
  return 0;
}

PreviewPort& SystemPreviewPort() {
  static class : public PreviewPort {
    LRESULT Send(HWND preview, UINT message, WPARAM wParam, LPARAM lParam) override {
      return SendMessageA(preview, message, wParam, lParam);
    }
  } port;
  return port;
}

LRESULT SetupDialog::OnItemPreview(fw::Message&) {
  const std::string* path = playlistTree.PathOf(playlistTree.ContextItem());
  if (!path) return 0;
  const bool reverse = settings.Reverse != 0;
  if (OpenFallbackPreview(hwnd(), *path, reverse)) return 0;
  HWND preview = MCIWndCreateA(hwnd(), Instance(),
                               WS_CAPTION | WS_THICKFRAME | MCIWNDF_NOMENU | MCIWNDF_SHOWNAME |
                                   MCIWNDF_NOTIFYMODE | MCIWNDF_NOOPEN,
                               nullptr);
  if (!preview) return 0;
  previews.Send(preview, MCIWNDM_OPENA, 0, reinterpret_cast<LPARAM>(path->c_str()));
  ShowWindow(preview, SW_SHOW);
  auto deviceCanReverse = [&] {
    return CanPlayBackwards(SystemMci(), static_cast<MCIDEVICEID>(previews.Send(preview, MCIWNDM_GETDEVICEID, 0, 0)));
  };
  if (PlaysBackwards(reverse, *path, deviceCanReverse))
    previews.Send(preview, MCIWNDM_PLAYREVERSE, 0, 0);
  else
    previews.Send(preview, MCI_PLAY, 0, 0);
  return 0;
}

LRESULT SetupDialog::OnPreviewMode(fw::Message& msg) {
  // A preview whose movie has ended, or that the user stopped, closes itself.
  // Posted: the preview is still inside its own notification.
  if (msg.lParam == MCI_MODE_STOP) PostMessageA(reinterpret_cast<HWND>(msg.wParam), WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace velora
