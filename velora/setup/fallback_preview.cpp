#include "velora/setup/fallback_preview.h"

#include <digitalv.h>
#include <vfw.h>

#include "framework/handles.h"
#include "framework/window.h"
#include "velora/playback/mf_movie.h"
#include "velora/playback/movie_device.h"
#include "velora/playback/core/movie_file.h"

namespace velora {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// The window's frame for a movie of the given size, a little below the owner's corner.
RECT FrameBelowOwner(HWND owner, int width, int height) {
  RECT owned{};
  GetWindowRect(owner, &owned);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  OffsetRect(&frame, owned.left + 24 - frame.left, owned.top + 24 - frame.top);
  return frame;
}

// The owner hears that the movie has stopped, as from the MCI window.
void TellOwnerStopped(HWND preview) {
  SendMessageA(GetWindow(preview, GW_OWNER), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(preview), MCI_MODE_STOP);
}

class FallbackPreview : public fw::Window {
 public:
  FallbackPreview(MciPort& mci, MCIDEVICEID device) : mci(mci), device(device) {}

  bool Open(HWND owner, const std::string& path, bool reverse) {
    MCI_DGV_RECT_PARMS source{};
    mci.SendCommand(device, MCI_WHERE, MCI_DGV_WHERE_SOURCE, &source);
    // At the movie's own size.
    const RECT frame = FrameBelowOwner(owner, source.rc.right, source.rc.bottom);
    if (!Create(0, nullptr, std::string(FileNamePart(path)).c_str(), kStyle, frame, owner, 0)) return false;

    MCI_DGV_WINDOW_PARMSA target{};
    target.hWnd = hwnd();
    mci.SendCommand(device, MCI_WINDOW, MCI_DGV_WINDOW_HWND, &target);
    PlaceMovie();
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());

    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(hwnd());
    DWORD_PTR flags = MCI_NOTIFY;
    if (PlaysBackwards(reverse, path, [&] { return CanPlayBackwards(mci, device); })) flags |= MCI_DGV_PLAY_REVERSE;
    mci.SendCommand(device, MCI_PLAY, flags, &play);
    SendMessageA(owner, MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(hwnd()), MCI_MODE_PLAY);
    return true;
  }

 protected:
  FW_DECLARE_MESSAGE_MAP()

  // The movie fills the client area, at any size the user gives the window.
  LRESULT OnSize(fw::Message&) {
    PlaceMovie();
    return Default();
  }

  // Ended, failed or aborted: the movie has stopped, and the owner hears of it.
  LRESULT OnMciNotify(fw::Message& msg) {
    if (msg.wParam != MCI_NOTIFY_SUPERSEDED) TellOwnerStopped(hwnd());
    return 0;
  }

  LRESULT OnDestroy(fw::Message&) {
    MCI_GENERIC_PARMS close{};
    mci.SendCommand(device, MCI_CLOSE, 0, &close);
    return Default();
  }

 private:
  void PlaceMovie() {
    RECT client;
    GetClientRect(hwnd(), &client);
    // Drawn from 0, 0, where a corner and a size and two corners agree.
    MCI_DGV_PUT_PARMS destination{};
    destination.rc = {0, 0, client.right, client.bottom};
    mci.SendCommand(device, MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT, &destination);
  }

  MciPort& mci;
  MCIDEVICEID device;
};

FW_BEGIN_MESSAGE_MAP(FallbackPreview, fw::Window)
  FW_ON_MESSAGE(WM_SIZE, OnSize)
  FW_ON_MESSAGE(MM_MCINOTIFY, OnMciNotify)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
FW_END_MESSAGE_MAP()

// An MP4, M4V or MOV file through Media Foundation, drawn over the whole
// client area at any size; it plays forwards, as on the MPEG video device.
class MediaFoundationPreview : public fw::Window {
 public:
  static constexpr char kClassName[] = "VeloraMoviePreview";
  static constexpr DWORD kOpenWait = 10000;

  bool Open(HWND owner, const std::string& path) {
    const char* windowClass =
        RegisterClassOnce(kClassName, 0, LoadCursor(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // Created hidden first: the movie reports to the window.
    if (!windowClass || !Create(0, windowClass, std::string(FileNamePart(path)).c_str(), kStyle, RECT{0, 0, 1, 1},
                                owner, 0))
      return false;
    movie = MfMovie::Open(SystemMediaFoundation(), path, hwnd(), 1);
    // The dialog waits for the reading, as it does for the MCI window's.
    if (!movie || !movie->WaitUntilOpened(kOpenWait) || !movie->FinishOpen()) return false;
    FitMovie();
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
    if (!movie->Play(hwnd(), ClientArea(), 1000, false)) return false;
    SendMessageA(owner, MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(hwnd()), MCI_MODE_PLAY);
    return true;
  }

 protected:
  FW_DECLARE_MESSAGE_MAP()

  LRESULT OnSize(fw::Message&) {
    if (movie) movie->MoveTo(ClientArea());
    return Default();
  }

  LRESULT OnPaint(fw::Message&) {
    fw::PaintDc dc(hwnd());
    if (movie) movie->Paint(dc.get());
    return 0;
  }

  // Ended, failed or not decodable: the movie has stopped. The decoder may
  // tell another size than the file did (a phone's movie turned upright).
  LRESULT OnMovieEvent(fw::Message& msg) {
    const LPARAM event = movie ? movie->OnEvent(msg.lParam) : 0;
    if (event == kMovieResized) FitMovie();
    if (event == kMovieEnded || event == kMovieFailed || event == kMovieUnopened) TellOwnerStopped(hwnd());
    return 0;
  }

  LRESULT OnDestroy(fw::Message&) {
    movie.reset();
    return Default();
  }

 private:
  // The window at the movie's own size.
  void FitMovie() {
    const SIZE size = movie->NativeSize();
    const RECT frame = FrameBelowOwner(GetWindow(hwnd(), GW_OWNER), size.cx, size.cy);
    SetWindowPos(hwnd(), nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  RECT ClientArea() const {
    RECT client;
    GetClientRect(hwnd(), &client);
    return client;
  }

  std::unique_ptr<MfMovie> movie;
};

FW_BEGIN_MESSAGE_MAP(MediaFoundationPreview, fw::Window)
  FW_ON_MESSAGE(WM_SIZE, OnSize)
  FW_ON_MESSAGE(WM_PAINT, OnPaint)
  FW_ON_MESSAGE(WM_SAVER_MOVIE_EVENT, OnMovieEvent)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
FW_END_MESSAGE_MAP()

bool OpenMediaFoundationPreview(HWND owner, const std::string& path) {
  auto* preview = new MediaFoundationPreview();
  if (!preview->Open(owner, path)) {
    if (preview->hwnd()) DestroyWindow(preview->hwnd());
    delete preview;
    return false;
  }
  preview->SelfDeleting();
  return true;
}

}  // namespace

bool OpenFallbackPreview(HWND owner, const std::string& path, bool reverse, MciPort& mci) {
  if (IsMediaFoundationFile(path) && OpenMediaFoundationPreview(owner, path)) return true;
  if (IsAviFile(path)) return false;
  MCIDEVICEID device = 0;
  bool onFallback = false;
  if (OpenMovieFile(mci, path, device, &onFallback) != 0) return false;
  MCI_GENERIC_PARMS close{};
  if (!onFallback) {
    mci.SendCommand(device, MCI_CLOSE, 0, &close);
    return false;
  }

  auto* preview = new FallbackPreview(mci, device);
  if (!preview->Open(owner, path, reverse)) {
    mci.SendCommand(device, MCI_CLOSE, 0, &close);
    delete preview;
    return false;
  }
  preview->SelfDeleting();
  return true;
}

}  // namespace velora
