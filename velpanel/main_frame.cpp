#include "velpanel/main_frame.h"

#include "framework/dpi.h"

namespace velpanel {

namespace {

const fw::ToolBarItem kItems[] = {
    {ID_CONFIG, 0, true},   {fw::kSeparator}, {ID_PLAY, 1, true}, {fw::kSeparator},
    {ID_ACTIVATE, 2, true}, {fw::kSeparator}, {ID_TOGGLE, 3, true},
};
constexpr int kItemCount = sizeof kItems / sizeof kItems[0];

const char kPosition[] = "Position";

// The frame's parts at the DPI of the monitor the window is on.
FrameMetrics SystemFrameMetrics(UINT dpi) {
  auto metric = [dpi](int index) { return fw::SystemMetricForDpi(index, dpi); };
  FrameMetrics m;
  m.cxBorder = metric(SM_CXBORDER);
  m.cyBorder = metric(SM_CYBORDER);
  m.cxDlgFrame = metric(SM_CXDLGFRAME);
  m.cyDlgFrame = metric(SM_CYDLGFRAME);
  m.cySmallCaption = metric(SM_CYSMCAPTION);
  m.cyCaption = metric(SM_CYCAPTION);
  // Before version 4 the window would have the system's full caption: this
  // program draws no small caption of its own.
  m.smallCaptionImageHeight = 0;
  return m;
}

Desktop DesktopAround(Position stored, Extent window) {
  Desktop desktop;
  desktop.monitorCount = GetSystemMetrics(SM_CMONITORS);
  desktop.screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT at{stored.left, stored.top, stored.left + window.width, stored.top + window.height};
  HMONITOR monitor = MonitorFromRect(&at, MONITOR_DEFAULTTONULL);
  if (!monitor) monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT work{0, 0, desktop.screen.width, desktop.screen.height};
  if (GetMonitorInfoA(monitor, &info)) work = info.rcWork;
  desktop.workArea = {work.left, work.top, work.right, work.bottom};
  return desktop;
}

}  // namespace

FW_BEGIN_MESSAGE_MAP(CMainFrame, fw::FrameWindow)
  FW_ON_MESSAGE(WM_CREATE, OnCreate)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
  FW_ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
  FW_ON_COMMAND(ID_CONFIG, OnConfig)
  FW_ON_COMMAND(ID_PLAY, OnPlay)
  FW_ON_COMMAND(ID_ACTIVATE, OnActivate)
  FW_ON_COMMAND(ID_TOGGLE, OnToggle)
  FW_ON_UPDATE_COMMAND_UI(ID_CONFIG, OnUpdateLaunch)
  FW_ON_UPDATE_COMMAND_UI(ID_PLAY, OnUpdateLaunch)
  FW_ON_UPDATE_COMMAND_UI(ID_ACTIVATE, OnUpdateLaunch)
  FW_ON_UPDATE_COMMAND_UI(ID_TOGGLE, OnUpdateToggle)
FW_END_MESSAGE_MAP()

bool CMainFrame::CreatePanel() {
  unsigned options = kMoveFrame;
  if (context.newShell) options |= kSmallCaption;
  const RECT empty{};
  if (!CreateFrame(context.name.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, empty,
                   nullptr, options))
    return false;
  SizeAndPlace();
  UpdateWindow(hwnd());
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

LRESULT CMainFrame::OnCreate(fw::Message&) {
  if (Default() == -1) return -1;
  return MakeToolBar(fw::DpiOf(hwnd())) ? 0 : -1;
}

bool CMainFrame::MakeToolBar(UINT dpi) {
  return toolBar.Create(hwnd()) && toolBar.LoadBitmap(buttonImages, fw::ArtScaleFor(dpi)) &&
         toolBar.SetItems(kItems, kItemCount);
}

Extent CMainFrame::WindowSize(UINT dpi) const {
  Extent content;
  for (int i = 0; i < kItemCount; ++i) {
    RECT item = toolBar.ItemRect(i);
    content.width += item.right - item.left;
    content.height = item.bottom - item.top;
  }
  return PanelWindowSize(content, SystemFrameMetrics(dpi), context.newShell);
}

LRESULT CMainFrame::OnDpiChanged(fw::Message& msg) {
  // Moved to a monitor of another density: the buttons' pictures for it, and
  // the size they need, at the place the system suggests.
  const UINT dpi = HIWORD(msg.wParam);
  const RECT& suggested = *reinterpret_cast<const RECT*>(msg.lParam);
  if (toolBar.hwnd()) DestroyWindow(toolBar.hwnd());
  if (!MakeToolBar(dpi)) return 0;
  const Extent size = WindowSize(dpi);
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

void CMainFrame::SizeAndPlace() {
  Extent size = WindowSize(fw::DpiOf(hwnd()));
  const fw::RegistrySettings& settings = context.settings;
  const Position stored{settings.GetInt(kPosition, "Left", 100), settings.GetInt(kPosition, "Top", 100)};
  Position place = PlacePanel(stored, size, DesktopAround(stored, size));
  SetWindowPos(hwnd(), nullptr, place.left, place.top, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  placed = true;
}

LRESULT CMainFrame::OnDestroy(fw::Message&) {
  // A window whose creation failed was never placed: the stored place stays.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (placed && GetWindowPlacement(hwnd(), &placement)) {
    const fw::RegistrySettings& settings = context.settings;
    settings.WriteInt(kPosition, "Left", placement.rcNormalPosition.left);
    settings.WriteInt(kPosition, "Top", placement.rcNormalPosition.top);
  }
  return Default();
}

LRESULT CMainFrame::OnConfig(fw::Message&) {
  StartCommand(ID_CONFIG);
  return 0;
}

LRESULT CMainFrame::OnPlay(fw::Message&) {
  StartCommand(ID_PLAY);
  return 0;
}

LRESULT CMainFrame::OnActivate(fw::Message&) {
  StartCommand(ID_ACTIVATE);
  return 0;
}

void CMainFrame::StartCommand(int id) {
  // The buttons are disabled meanwhile; a command that arrives anyway must not
  // start a second program over the state of the first.
  if (RunningCommand() != 0) return;
  if (DWORD error = Launch(context.starter, *FindLaunchCommand(id), hwnd()))
    ShowStartError(hwnd(), context.name.c_str(), error);
}

LRESULT CMainFrame::OnToggle(fw::Message&) {
  SetScreenSaveActive(!ScreenSaveActive());
  return 0;
}

void CMainFrame::OnUpdateLaunch(fw::CmdUi& ui) {
  int running = RunningCommand();
  ui.SetCheck(running == static_cast<int>(ui.id));
  ui.Enable(running == 0);
}

void CMainFrame::OnUpdateToggle(fw::CmdUi& ui) { ui.SetCheck(ScreenSaveActive() != FALSE); }

}  // namespace velpanel
