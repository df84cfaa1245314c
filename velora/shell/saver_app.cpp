#include "velora/shell/saver_app.h"

#include <commctrl.h>
#include <vfw.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "framework/delayed_libraries.h"
#include "velora/playback/mci_port.h"
#include "velora/playback/player_window.h"
#include "velora/playback/preview_window.h"
#include "velora/playback/saver_window.h"
#include "velora/playlists/playlist_file.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/setup_dialog.h"
#include "velora/shell/playback_settings_store.h"

namespace velora {

FW_BEGIN_MESSAGE_MAP(SaverApp, fw::App)
  FW_ON_COMMAND(CMD_DELETE_SELECTED, OnDeleteSelected)
FW_END_MESSAGE_MAP()

bool SaverApp::InitInstance() {
  Enable3dControls();
  SetRegistryKey(VELORA_MAKER);
  newShell = SystemHasNewShell();

  playbackSettings = ReadPlaybackSettings(Settings());

  // The C runtime splits the command line; only the first argument picks the mode.
  if (__argc < 2) {
    ShowStandaloneNotice();
    return false;
  }
  return RunMode(MatchMode(__argv[1]));
}

bool SaverApp::RunMode(SaverMode mode) {
  switch (mode) {
    case SaverMode::Configure:
      RunConfiguration();
      return false;
    case SaverMode::Saver:
    case SaverMode::Viewer:
      return RunFullScreen(mode);
    case SaverMode::Preview:
      return RunPreview();
    case SaverMode::ChangePassword:
      ShowChangePassword();
      return false;
    case SaverMode::None:
      break;
  }
  return false;
}

void SaverApp::RunConfiguration() {
  AVIFileInit();
  // The setup dialog's tree and now-playing list are common controls, whose
  // library velora.scr loads only when it first calls it.
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  {
    SetupDialog dialog(PlaylistFile::InWindowsDirectory(), playbackSettings, newShell);
    EnableSetupAccelerators(&dialog);
    if (dialog.DoModal() == IDOK) WritePlaybackSettings(Settings(), playbackSettings);
    setupDialog = nullptr;
    SetMainWindow(nullptr);
  }
  AVIFileExit();
}

bool SaverApp::RunFullScreen(SaverMode mode) {
  std::unique_ptr<PlayerWindow> window;
  if (mode == SaverMode::Saver)
    window = std::make_unique<SaverWindow>(SystemPlayerPorts(), playbackSettings, PlaylistFile::InWindowsDirectory());
  else
    window = std::make_unique<PlayerWindow>(SystemPlayerPorts(), playbackSettings, PlaylistFile::InWindowsDirectory());
  // No message loop without a window.
  if (!window->CreateFullScreen()) return false;
  SetMainWindow(window.release()->SelfDeleting());
  return true;
}

bool SaverApp::RunPreview() {
  // Nobody reads a message in the settings' little picture: a missing library ends the preview quietly.
  fw::SetDelayedLibraryFailure({true, 0});
  HWND parent = WindowAfter('p');
  if (!parent) return false;
  RECT client{};
  GetClientRect(parent, &client);
  std::unique_ptr<PreviewWindow> window(new (std::nothrow) PreviewWindow(PlaylistFile::InWindowsDirectory()));
  // No message loop without a window: a parent gone by now ends the preview too.
  if (!window || !window->CreatePreview(parent, client)) return false;
  PreviewWindow* preview = window.release();
  SetMainWindow(preview->SelfDeleting());
  // Its destruction by the parent ends the message loop and the process.
  preview->SetupPreview();
  return true;
}

void SaverApp::ShowChangePassword() {
  HWND owner = WindowAfter('a');
  if (!owner) return;
  // The saver keeps no password; the box only answers the system's request.
  MessageBoxA(owner, "Change Password", AppName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void SaverApp::ShowStandaloneNotice() {
  MessageBoxA(nullptr, fw::LoadResourceString(IDS_NOT_STANDALONE).c_str(), AppName().c_str(),
              MB_OK | MB_ICONINFORMATION);
}

HWND SaverApp::WindowAfter(char letter) const {
  std::optional<std::uint64_t> number = FindHandleAfter(CommandLine(), letter);
  if (!number) return nullptr;
  HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(*number));
  return hwnd && IsWindow(hwnd) ? hwnd : nullptr;
}

void SaverApp::EnableSetupAccelerators(SetupDialog* dialog) {
  configMode = true;
  if (!accelerators) accelerators = LoadAcceleratorsA(Instance(), MAKEINTRESOURCEA(IDR_SETUP_ACCELERATORS));
  setupDialog = dialog;
  SetMainWindow(dialog);
}

bool SaverApp::ProcessMessageFilter(int code, MSG* msg) {
  // In the setup dialog the Delete key is a command before any control sees it,
  // so it deletes the selected tree item even while a label is being edited.
  // Keys meant for another window (the Add Playlist box, Options, the file
  // dialog, a preview) or for a menu keep their own meaning.
  HWND dialog = MainWindow() ? MainWindow()->hwnd() : nullptr;
  const bool forSetupDialog =
      dialog && code != MSGF_MENU && (msg->hwnd == dialog || IsChild(dialog, msg->hwnd));
  if (configMode && accelerators && forSetupDialog && TranslateAcceleratorA(dialog, accelerators, msg))
    return true;
  return fw::App::ProcessMessageFilter(code, msg);
}

LRESULT SaverApp::OnDeleteSelected(fw::Message&) {
  if (setupDialog) setupDialog->DeleteItem(setupDialog->SelectedItem());
  return 0;
}

}  // namespace velora
