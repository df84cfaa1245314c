#include "velora/setup/text_dialogs.h"

#include "velora/resources/resource_ids.h"

namespace velora {

AddPlaylistDialog::AddPlaylistDialog(HWND parent) : fw::Dialog(IDD_ADD_PLAYLIST, parent) {}

void AddPlaylistDialog::DoDataExchange(fw::DataExchange& dx) {
  fw::ExchangeText(dx, IDC_PLAYLIST_NAME, playlistName);
}

MovieLocationDialog::MovieLocationDialog(HWND parent, std::string path)
    : fw::Dialog(IDD_MOVIE_LOCATION, parent), location(std::move(path)) {}

void MovieLocationDialog::DoDataExchange(fw::DataExchange& dx) {
  fw::ExchangeText(dx, IDC_MOVIE_LOCATION, location);
}

}  // namespace velora
