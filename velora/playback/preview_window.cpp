#include "velora/playback/preview_window.h"

#include <algorithm>

#include "framework/dpi.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMilliseconds = 250;
// At 100 %: names stand this far in from the left and right edges, the
// marquee hangs this far below the top edge, and the names are this high.
constexpr int kNameInset = 2;
constexpr int kMarqueeTop = 2;
constexpr int kNameHeight = 14;

fw::UniqueBitmap LoadMarquee(int frame, int artScale) {
  fw::UniqueBitmap marquee(
      LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(frame == 0 ? IDB_MARQUEE_FRAME0 : IDB_MARQUEE_FRAME1)));
  return artScale == 100 ? std::move(marquee) : fw::ScaledBitmap(marquee.get(), artScale);
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// Copies part of a bitmap onto a device context.
void CopyBitmap(HDC to, int x, int y, int width, int height, HBITMAP from, int fromX, int fromY) {
  fw::UniqueMemoryDc source(CreateCompatibleDC(to));
  if (!source) return;
  fw::SelectIn selected(source.get(), from);
  BitBlt(to, x, y, width, height, source.get(), fromX, fromY, SRCCOPY);
}

}  // namespace

FW_BEGIN_MESSAGE_MAP(PreviewWindow, fw::Window)
  FW_ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  FW_ON_MESSAGE(WM_PAINT, OnPaint)
  FW_ON_MESSAGE(WM_TIMER, OnTimer)
  FW_ON_MESSAGE(WM_DESTROY, OnDestroy)
FW_END_MESSAGE_MAP()

PreviewWindow::PreviewWindow(PlaylistFile file) : playlistFile(std::move(file)) {}

bool PreviewWindow::CreatePreview(HWND parent, const RECT& rect) {
  return Create(0, nullptr, "Velora Preview", WS_CHILD | WS_VISIBLE, rect, parent, 1);
}

UINT_PTR PreviewWindow::SetupPreview() {
  playlistFile.ReadNowPlayingList(movieList);
  RECT client{};
  GetClientRect(hwnd(), &client);
  // Drawn for the density of the screen the settings show the preview on.
  artScale = fw::ArtScaleFor(fw::DpiOf(hwnd()));
  scroll.Start(movieList.size(), BitmapSize(LoadMarquee(scroll.marqueeFrame, artScale).get()).cy, artScale);
  nameStrip = DrawNameStrip(client.right);
  return SetTimer(hwnd(), kTickTimer, kTickMilliseconds, nullptr);
}

fw::UniqueBitmap PreviewWindow::DrawNameStrip(int width) const {
  fw::WindowDc window(hwnd());
  if (!window.get()) return {};
  // A list too long for the bound leaves the name area black; the marquee runs on.
  const int depth = GetDeviceCaps(window.get(), BITSPIXEL) * GetDeviceCaps(window.get(), PLANES);
  if (!NameStripFits(width, scroll.stripHeight, depth)) return {};
  fw::UniqueBitmap strip(CreateCompatibleBitmap(window.get(), width, scroll.stripHeight));
  fw::UniqueMemoryDc memory(CreateCompatibleDC(window.get()));
  if (!strip || !memory) return {};
  fw::UniqueFont font(CreateFontA(fw::ArtSize(kNameHeight, artScale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 4, "Arial"));
  fw::SelectIn selectedStrip(memory.get(), strip.get());
  fw::SelectIn selectedFont(memory.get(), font.get() ? font.get() : GetStockObject(ANSI_VAR_FONT));
  PatBlt(memory.get(), 0, 0, width, scroll.stripHeight, BLACKNESS);
  SetBkMode(memory.get(), TRANSPARENT);
  SetTextColor(memory.get(), RGB(255, 255, 255));
  int top = scroll.topMargin;
  for (const std::string& path : movieList) {
    const int inset = fw::ArtSize(kNameInset, artScale);
    RECT line{inset, top, width - inset, top + scroll.linePitch};
    // Not clipped to its line: a long name is cut by the strip's edges only.
    // No prefix: an ampersand in a file name is shown, not taken as a mnemonic.
    const std::string name = MovieName(path);
    DrawTextA(memory.get(), name.c_str(), static_cast<int>(name.size()), &line,
              DT_CENTER | DT_NOCLIP | DT_NOPREFIX);
    top += scroll.linePitch;
  }
  return strip;
}

LRESULT PreviewWindow::OnEraseBackground(fw::Message&) {
  // The paint covers every pixel; erasing first would only flicker.
  return 1;
}

LRESULT PreviewWindow::OnPaint(fw::Message&) {
  fw::PaintDc paint(hwnd());
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return 0;
  // Composed off-screen and copied in one operation, so nothing flickers.
  fw::UniqueMemoryDc frame(CreateCompatibleDC(paint.get()));
  fw::UniqueBitmap picture(CreateCompatibleBitmap(paint.get(), width, height));
  if (!frame || !picture) return 0;
  fw::SelectIn selected(frame.get(), picture.get());
  PatBlt(frame.get(), 0, 0, width, height, BLACKNESS);
  DrawMarquee(frame.get(), width);
  DrawNames(frame.get(), width, height);
  BitBlt(paint.get(), 0, 0, width, height, frame.get(), 0, 0, SRCCOPY);
  return 0;
}

void PreviewWindow::DrawMarquee(HDC frame, int width) const {
  fw::UniqueBitmap marquee = LoadMarquee(scroll.marqueeFrame, artScale);
  const SIZE size = BitmapSize(marquee.get());
  CopyBitmap(frame, (width - size.cx) / 2, fw::ArtSize(kMarqueeTop, artScale), size.cx, size.cy, marquee.get(), 0, 0);
}

void PreviewWindow::DrawNames(HDC frame, int width, int height) const {
  if (!nameStrip) return;
  // Below the strip's last row the area stays black.
  const int rows = std::min(height - scroll.topMargin, scroll.stripHeight - scroll.scrollPos);
  if (rows > 0) CopyBitmap(frame, 0, scroll.topMargin, width, rows, nameStrip.get(), 0, scroll.scrollPos);
}

LRESULT PreviewWindow::OnTimer(fw::Message&) {
  scroll.Tick();
  InvalidateRect(hwnd(), nullptr, TRUE);
  return Default();
}

LRESULT PreviewWindow::OnDestroy(fw::Message&) {
  LRESULT result = Default();
  KillTimer(hwnd(), kTickTimer);
  movieList.clear();
  nameStrip.reset();
  return result;
}

}  // namespace velora
