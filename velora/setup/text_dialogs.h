#pragma once
// The setup dialog's two one-field dialogs: the name of a new playlist, and
// a movie's location shown read-only so that it can be copied.
#include <string>

#include "framework/dialog.h"

namespace velora {

class AddPlaylistDialog : public fw::Dialog {
 public:
  explicit AddPlaylistDialog(HWND parent);
  std::string playlistName;

 protected:
  void DoDataExchange(fw::DataExchange& dx) override;
};

class MovieLocationDialog : public fw::Dialog {
 public:
  MovieLocationDialog(HWND parent, std::string location);
  std::string location;

 protected:
  void DoDataExchange(fw::DataExchange& dx) override;
};

}  // namespace velora
