// The fractal saver's picture engine on real device contexts under Win32:
// frames drawn in memory and on a window match the portable frames pixel for
// pixel, and new regions are recorded in CONTROL.INI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"
#include "fracsave/core/mandelbrot_kernels.h"
#include "fracsave/win32/fractal_frame.h"
#include "fracsave_golden.h"

using namespace fracsave;

namespace {

// A 32-bit top-down DIB selected into a memory DC.
struct MemoryDc {
  MemoryDc(int w, int h) : width(w), height(h) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
  }
  ~MemoryDc() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Pixels as COLORREF, row by row.
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    std::vector<uint32_t> out(size_t(width) * size_t(height));
    for (size_t i = 0; i < out.size(); ++i) {
      const uint32_t p = bits[i];
      out[i] = ((p & 0xffu) << 16) | (p & 0xff00u) | ((p >> 16) & 0xffu);
    }
    return out;
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  uint32_t* bits;
};

std::vector<uint32_t> Capture(HDC from, int w, int h) {
  MemoryDc copy(w, h);
  BitBlt(copy.dc, 0, 0, w, h, from, 0, 0, SRCCOPY);
  return copy.Pixels();
}

class NoHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

// The picture the Win32 frames draw from, as one saver holds it.
FractalPicture g_picture;

// Puts the picture's records in a known state for one frame of a region.
void PrepareFrame(const Region& m, int frameCount, const SaverSettings& settings) {
  g_picture.state = SaverState{};
  BuildColourTable(g_picture);
  g_picture.state.mset = m;
  g_picture.state.frameCount = frameCount;
  g_picture.settings = settings;
}

// The same frame drawn by the portable core on a memory surface.
std::vector<uint32_t> PortableFrame(const Region& m, const SaverSettings& settings, int w, int h) {
  SaverState state = {};
  BuildColourTable(state.colourTable);
  state.mset = m;
  state.frameCount = 1;
  NoHost host;
  SurfaceScreen screen(w, h);
  DrawFrame(state, settings, host, screen, w, h);
  return screen.screen.pixels;
}

size_t Mismatches(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return size_t(-1);
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

const SaverSettings kCombos[] = {
    {0, 0, 0, 0, 0, 0},  // full, off screen
    {0, 1, 1, 0, 0, 0},  // fast, shifting colours, off screen
    {0, 0, 1, 0, 0, 1},  // full, shifting colours, on screen
};

TEST(FracWin32, GoldenFramesMatchTheNativeBuild) {
  for (const auto& g : fracsave_golden::kGoldenFrames)
    EXPECT_EQ(fracsave_golden::Checksum(fracsave_golden::RenderGolden(g)), g.checksum) << g.name;
}

TEST(FracWin32, GoldenScreensOnEveryPathAndWorkerCount) {
  fracsave_golden::ForEveryPathAndWorkerCount([](const fracsave_golden::GoldenFrame& g, uint64_t sum,
                                                 const std::string& trace) {
    EXPECT_EQ(sum, g.checksum) << g.name << ", " << trace;
  });
}

#if FRACSAVE_HAS_AVX2_KERNEL
// Calls run(context) with the stack pointer at the given offset from a
// 32-byte boundary (before the call pushes its return address).
extern "C" void CallWithStackOffset(void (*run)(void*), void* context, unsigned offset);
#if defined(__x86_64__)
// x64 keeps the stack 16-byte aligned at every call, so only offsets of 0 and
// 16 are legal there; the callee gets its 32 bytes of shadow space.
constexpr unsigned kStackOffsetStep = 16;
asm(R"(
  .text
  .globl CallWithStackOffset
CallWithStackOffset:
  push %rbp
  mov %rsp, %rbp
  mov %r8d, %r8d
  and $-32, %rsp
  sub %r8, %rsp
  sub $32, %rsp
  mov %rcx, %rax
  mov %rdx, %rcx
  call *%rax
  mov %rbp, %rsp
  pop %rbp
  ret
)");
#else
constexpr unsigned kStackOffsetStep = 4;
asm(R"(
  .text
  .globl _CallWithStackOffset
_CallWithStackOffset:
  push %ebp
  mov %esp, %ebp
  mov 16(%ebp), %edx
  and $-32, %esp
  sub %edx, %esp
  sub $28, %esp
  mov 12(%ebp), %eax
  mov %eax, (%esp)
  call *8(%ebp)
  mov %ebp, %esp
  pop %ebp
  ret
)");
#endif

struct ColumnCall {
  double cr;
  std::vector<int32_t> counts = std::vector<int32_t>(97);
  static void Run(void* self) {
    auto* c = static_cast<ColumnCall*>(self);
    IterateColumnAvx2(c->cr, 1.3, 0.0125, int(c->counts.size()), 512, 64, c->counts.data());
  }
};

TEST(FracWin32, WideVectorsWorkOnAStackAtAnyAlignment) {
  if (!ProcessorHasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  std::vector<int32_t> want(97);
  IterateColumnScalar(-0.75, 1.3, 0.0125, 97, 512, 64, want.data());
  for (unsigned offset = 0; offset < 32; offset += kStackOffsetStep) {
    ColumnCall call{-0.75};
    CallWithStackOffset(&ColumnCall::Run, &call, offset);
    EXPECT_EQ(call.counts, want) << "stack " << offset << " bytes below a 32-byte boundary";
  }
}
#endif

TEST(FracWin32, FrameInAMemoryDcMatchesThePortableFrame) {
  const int w = 200, h = 151;
  for (const SaverSettings& settings : kCombos) {
    SCOPED_TRACE(std::to_string(settings.fastGen) + std::to_string(settings.shiftPal) +
                 std::to_string(settings.showGen));
    MemoryDc target(w, h);
    std::fill(target.bits, target.bits + w * h, 0x00abcdefu);
    PrepareFrame(kPresets[3], 1, settings);
    DrawFractalFrame(g_picture, target.dc, w, h, nullptr);
    EXPECT_EQ(Mismatches(target.Pixels(), PortableFrame(kPresets[3], settings, w, h)), 0u);
    EXPECT_EQ(g_picture.state.frameCount, 2);
  }
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcA(w, m, wp, lp);
}

struct TestWindow {
  TestWindow(int w, int h) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FracFrameTest";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(WS_EX_TOPMOST, "FracFrameTest", "frame", WS_POPUP | WS_VISIBLE, 0, 0, w, h,
                           nullptr, nullptr, wc.hInstance, nullptr);
    Settle();
  }
  ~TestWindow() { DestroyWindow(hwnd); }
  // Until the window is shown and painted, so that no late paint covers a frame.
  void Settle() {
    MSG msg;
    for (;;) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (IsWindowVisible(hwnd) && !GetUpdateRect(hwnd, nullptr, FALSE)) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
  HWND hwnd;
};

TEST(FracWin32, FrameOnAWindowMatchesThePortableFrame) {
  const int w = 160, h = 121;
  TestWindow window(w, h);
  ASSERT_TRUE(window.hwnd);
  for (const SaverSettings& settings : kCombos) {
    SCOPED_TRACE(std::to_string(settings.fastGen) + std::to_string(settings.shiftPal) +
                 std::to_string(settings.showGen));
    // The first frame of the process: the black fill and the notice come first.
    PrepareFrame(kPresets[1], 0, settings);
    HDC dc = GetDC(window.hwnd);
    DrawFractalFrame(g_picture, dc, w, h, nullptr);
    EXPECT_EQ(Mismatches(Capture(dc, w, h), PortableFrame(kPresets[1], settings, w, h)), 0u);
    ReleaseDC(window.hwnd, dc);
  }
}

// The pump hook sees the screen while the first image is computed, then
// closes the saver: the frame stops and the partial image is still shown.
HWND g_pumpedWindow;
int g_pumps;
int g_noticePixels;
int PeekAndClose(HWND window) {
  g_pumpedWindow = window;
  if (++g_pumps == 1) {
    HDC dc = GetDC(window);
    for (uint32_t p : Capture(dc, 160, 40)) {
      const int r = p & 0xff, g = (p >> 8) & 0xff, b = (p >> 16) & 0xff;
      g_noticePixels += (r < 100 && g > 150 && b > 150);  // cyan text
    }
    ReleaseDC(window, dc);
  }
  if (g_pumps == 500) g_picture.state.abortFrame = 1;
  return 0;
}

TEST(FracWin32, NoticeShowsDuringTheFirstFrameAndAnAbortStillCopiesThePartialImage) {
  const int w = 160, h = 120;
  TestWindow window(w, h);
  SaverSettings settings = {};
  // A whole frame first: the bitmap it leaves for the next frame holds a
  // picture that the abandoned frame must not show.
  PrepareFrame(kPresets[13], 1, settings);
  HDC before = GetDC(window.hwnd);
  DrawFractalFrame(g_picture, before, w, h, nullptr);
  ReleaseDC(window.hwnd, before);
  PrepareFrame(kPresets[1], 0, settings);
  g_picture.pump = PeekAndClose;
  HDC dc = GetDC(window.hwnd);
  DrawFractalFrame(g_picture, dc, w, h, window.hwnd);
  const std::vector<uint32_t> shown = Capture(dc, w, h);
  ReleaseDC(window.hwnd, dc);
  g_picture.pump = nullptr;

  EXPECT_EQ(g_pumpedWindow, window.hwnd);
  EXPECT_EQ(g_pumps, 500);
  EXPECT_GT(g_noticePixels, 20);
  EXPECT_EQ(g_picture.state.frameCount, 1);
  // 500 pixel pairs: columns 0..7 (61 rows each) and 12 rows of column 8.
  const std::vector<uint32_t> whole = PortableFrame(kPresets[1], settings, w, h);
  size_t mismatches = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = y <= h / 2 ? y : h - y;
      const bool drawn = x < 8 || (x == 8 && r < 12);
      const uint32_t want = drawn ? whole[size_t(y) * w + x] : 0u;
      mismatches += shown[size_t(y) * w + x] != want;
    }
  EXPECT_EQ(mismatches, 0u);
}

TEST(FracWin32, SetInfoLandsInControlIni) {
  g_picture.state = SaverState{};
  g_picture.settings = SaverSettings{};
  g_picture.state.presetIndex = 1;
  g_picture.state.newImage = 1;
  ChooseCorners(g_picture);
  char text[256] = {};
  GetPrivateProfileStringA("Screen Saver.Mandelbrot", "SetInfo", "", text, sizeof(text), "CONTROL.INI");
  EXPECT_STREQ(text, "mset.xmax=0.070000,mset.xmin=-2.050000,mset.ymax=1.300000,mset.ymin=-1.300000");
  EXPECT_EQ(g_picture.state.presetIndex, 2);

  // The file itself, in the Windows directory.
  char path[MAX_PATH];
  GetWindowsDirectoryA(path, MAX_PATH);
  std::strcat(path, "\\CONTROL.INI");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, "CONTROL.INI");  // flush the cache
  HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  char buffer[4096] = {};
  DWORD read = 0;
  ReadFile(f, buffer, sizeof(buffer) - 1, &read, nullptr);
  CloseHandle(f);
  const std::string file(buffer, read);
  const size_t section = file.find("[Screen Saver.Mandelbrot]");
  ASSERT_NE(section, std::string::npos);
  EXPECT_NE(file.find("SetInfo=mset.xmax=0.070000,mset.xmin=-2.050000", section), std::string::npos);
}

}  // namespace
