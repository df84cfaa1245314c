#include "fracsave/win32/fractal_frame.h"

#include "fracsave/settings/saver_settings_io.h"

#include <ctime>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"
#include "framework/handles.h"

namespace fracsave {

namespace {

// ShowGen: every pixel goes straight to the screen.
class DcTarget : public PixelTarget {
 public:
  void SetPixel(int x, int y, uint32_t colour) override { ::SetPixel(dc, x, y, COLORREF(colour)); }
  HDC dc = nullptr;
};

// The off-screen bitmap is a 32-bit top-down DIB section written in memory:
// the same pixels a SetPixel on a memory context would give, without a GDI
// call per pixel.
class DibTarget : public PixelTarget {
 public:
  DibTarget() { dibOrder = true; }
  void SetPixel(int x, int y, uint32_t colour) override {
    if (!bits || x < 0 || y < 0 || x >= bitsWidth || y >= bitsHeight) return;
    // COLORREF is 0x00BBGGRR; a DIB pixel is 0x00RRGGBB.
    bits[size_t(y) * size_t(bitsWidth) + size_t(x)] =
        ((colour & 0xffu) << 16) | (colour & 0xff00u) | ((colour >> 16) & 0xffu);
  }
};

}  // namespace

// The off-screen bitmap, kept from one frame to the next of the same size: a
// new one costs the system a fresh page for every 4 KB the frame writes (33 MB
// at 3840x2160). It is not cleared: the frame sets every pixel, and blacks out
// what it leaves when it is abandoned.
class FrameBitmap {
 public:
  ~FrameBitmap() { Release(); }
  FrameBitmap() = default;
  FrameBitmap(const FrameBitmap&) = delete;
  FrameBitmap& operator=(const FrameBitmap&) = delete;

  // A width x height top-down 32-bit DIB section, or null.
  HBITMAP Take(HDC dc, int width, int height, uint32_t** bits) {
    if (bitmap_ && width == width_ && height == height_) {
      GdiFlush();
    } else {
      Release();
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = width;
      info.bmiHeader.biHeight = -height;  // top-down, so row y is line y
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      void* p = nullptr;
      bitmap_.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0));
      bits_ = bitmap_ ? static_cast<uint32_t*>(p) : nullptr;
      width_ = width;
      height_ = height;
    }
    *bits = bits_;
    return bitmap_.get();
  }

  void Release() {
    bitmap_.reset();
    bits_ = nullptr;
  }

 private:
  fw::UniqueBitmap bitmap_;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

namespace {

class GdiFrameScreen : public FrameScreen {
 public:
  GdiFrameScreen(FractalPicture& picture, HDC dc, HWND window) : picture_(picture), dc_(dc), window_(window) {
    screen_.dc = dc;
  }

  void FillBlack(int width, int height) override {
    HGDIOBJ old = SelectObject(dc_, GetStockObject(BLACK_BRUSH));
    PatBlt(dc_, 0, 0, width, height, PATCOPY);
    SelectObject(dc_, old);
  }

  PixelTarget& BeginTarget(bool offscreen, int width, int height) override {
    if (!offscreen) return screen_;
    memDc_.reset(CreateCompatibleDC(dc_));
    uint32_t* bits = nullptr;
    bitmap_ = memDc_ ? picture_.bitmap->Take(dc_, width, height, &bits) : nullptr;
    if (bitmap_ && memDc_) {
      oldBitmap_ = SelectObject(memDc_.get(), bitmap_);
      offscreen_.bits = bits;
      offscreen_.bitsWidth = width;
      offscreen_.bitsHeight = height;
    }
    return offscreen_;
  }

  void ShowPreparingNotice() override {
    static const char kNotice[] = "Preparing Image...";
    // 12 pixels and 10 from the corner at 96 DPI; as large again on a denser screen.
    const int dpi = GetDeviceCaps(dc_, LOGPIXELSY);
    auto scaled = [dpi](int pixels) { return dpi > 96 ? MulDiv(pixels, dpi, 96) : pixels; };
    const fw::UniqueFont font(
        CreateFontA(-scaled(12), 0, 0, 0, 700, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Helvetica"));
    const fw::SelectIn useFont(dc_, font.get());
    SetTextColor(dc_, RGB(0, 255, 255));
    SetBkMode(dc_, TRANSPARENT);
    TextOutA(dc_, scaled(10), scaled(10), kNotice, int(sizeof(kNotice) - 1));
  }

  void EndTarget(bool offscreen, int width, int height) override {
    if (!offscreen) return;
    GdiFlush();
    if (memDc_) BitBlt(dc_, 0, 0, width, height, memDc_.get(), 0, 0, SRCCOPY);
    if (memDc_ && oldBitmap_) SelectObject(memDc_.get(), oldBitmap_);
    memDc_.reset();
    bitmap_ = nullptr;
    oldBitmap_ = nullptr;
    offscreen_ = DibTarget();
  }

  bool HasPump() const override { return window_ && picture_.pump; }
  bool PumpIsPaced() const override { return picture_.pumpPaced; }
  void Pump() override { picture_.pump(window_); }

 private:
  FractalPicture& picture_;
  HDC dc_;
  HWND window_;
  DcTarget screen_;
  DibTarget offscreen_;
  fw::UniqueMemoryDc memDc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace

FractalPicture::FractalPicture() : bitmap(std::make_unique<FrameBitmap>()) {}
FractalPicture::~FractalPicture() = default;

int64_t ControlIniRegionHost::NowSeconds() { return int64_t(std::time(nullptr)); }

void ControlIniRegionHost::WriteSetInfo(const std::string& text) {
  WriteSaverValue("SetInfo", text.c_str());
}

void BuildColourTable(FractalPicture& picture) { BuildColourTable(picture.state.colourTable); }

void RotateColourTable(FractalPicture& picture, int n) { RotateColourTable(picture.state.colourTable, n); }

void ChooseCorners(FractalPicture& picture) {
  ControlIniRegionHost host;
  ChooseCorners(picture.state, picture.settings, host);
}

void DrawFractalFrame(FractalPicture& picture, HDC dc, int width, int height, HWND window) {
  ControlIniRegionHost host;
  GdiFrameScreen screen(picture, dc, window);
  DrawFrame(picture.state, picture.settings, host, screen, width, height);
}

}  // namespace fracsave
