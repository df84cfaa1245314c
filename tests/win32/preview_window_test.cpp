// The preview hosted in a window of this process and read back pixel by
// pixel: the marquee and its lights, the names and their scrolling, the
// empty preview, and the GDI objects it holds.
#include "velora/playback/preview_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "bench/gdi_objects.h"
#include "velora/resources/resource_ids.h"

namespace velora {
namespace {

// The size of the little monitor on the system's screen-saver page.
constexpr int kWidth = 152, kHeight = 112;

struct Picture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // 0x00RRGGBB, row by row

  COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
  // The smallest rectangle of non-black pixels within the area; empty if none.
  RECT Ink(const RECT& area) const {
    RECT ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (At(x, y) != 0) {
          ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                 std::max<LONG>(ink.bottom, y + 1)};
        }
    return ink.left < ink.right ? ink : RECT{};
  }
  // The pixels of the area, row by row.
  std::vector<COLORREF> Cut(const RECT& area) const {
    std::vector<COLORREF> out;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) out.push_back(At(x, y));
    return out;
  }
};

Picture CaptureDc(HDC from, int width, int height) {
  Picture picture{width, height, std::vector<COLORREF>(size_t(width) * height)};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(from);
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, from, 0, 0, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const COLORREF*>(bits), picture.pixels.size(), picture.pixels.begin());
  for (COLORREF& p : picture.pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  return picture;
}

Picture CaptureWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  Picture picture = CaptureDc(dc, client.right, client.bottom);
  ReleaseDC(window, dc);
  return picture;
}

// One of the marquee pictures as the program's resources hold it.
Picture MarqueeBitmap(int id) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  BITMAP size{};
  GetObjectA(bitmap, sizeof size, &size);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Picture picture = CaptureDc(memory, size.bmWidth, size.bmHeight);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return picture;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "velora-preview-test.ini";
    RemoveTestFile();
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PreviewTestHost";
    RegisterClassA(&wc);
    // Topmost, so that nothing else on the test display covers what is read back.
    host = CreateWindowExA(WS_EX_TOPMOST, "PreviewTestHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           0, 0, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override {
    if (host) DestroyWindow(host);
    RemoveTestFile();
  }
  void RemoveTestFile() {
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
  }

  // A playlist file whose now-playing playlist holds the paths.
  void WriteNowPlaying(const std::vector<std::string>& paths, char mark = '>') {
    std::string text = std::string("Velora PlayLists\r\n\r\n\a") + mark + "Test\a\r\n";
    for (const std::string& movie : paths) text += " " + movie + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }

  // Creates the preview as the start-up does, frees itself with the host.
  void Open() {
    preview = new PreviewWindow(PlaylistFile(path));
    RECT client{};
    GetClientRect(host, &client);
    ASSERT_TRUE(preview->CreatePreview(host, client));
    preview->SelfDeleting();
    EXPECT_NE(preview->SetupPreview(), 0u);
  }
  Picture Show() {
    UpdateWindow(preview->hwnd());
    return CaptureWindow(preview->hwnd());
  }
  Picture Tick() {
    SendMessageA(preview->hwnd(), WM_TIMER, 1, 0);
    return Show();
  }
  static RECT NameArea() { return {0, 50, kWidth, kHeight}; }
  static RECT Line(int i) { return {0, 50 + 20 * i, kWidth, 70 + 20 * i}; }

  // The marquee at ((W - 121) / 2, 2) shows the picture, and the band around it is black.
  void ExpectMarquee(const Picture& shown, int id) {
    const Picture marquee = MarqueeBitmap(id);
    ASSERT_EQ(marquee.width, 121);
    const int left = (kWidth - marquee.width) / 2;
    EXPECT_EQ(shown.Cut({left, 2, left + marquee.width, 2 + marquee.height}), marquee.pixels) << "bitmap " << id;
    EXPECT_EQ(shown.Ink({0, 0, kWidth, 2}).right, 0);
    EXPECT_EQ(shown.Ink({0, 0, left, 50}).right, 0);
    EXPECT_EQ(shown.Ink({left + marquee.width, 0, kWidth, 50}).right, 0);
    EXPECT_EQ(shown.Ink({0, 2 + marquee.height, kWidth, 50}).right, 0);
  }

  std::string path;
  HWND host = nullptr;
  PreviewWindow* preview = nullptr;
};

bool Blank(const Picture& shown, const RECT& area) { return shown.Ink(area).right == 0; }

TEST_F(PreviewWindowTest, OneMovieScrollsUpAndOutThenStartsOver) {
  WriteNowPlaying({"C:\\CLIPS\\FISH.AVI"});
  Open();
  const Picture first = Show();
  ExpectMarquee(first, IDB_MARQUEE_FRAME0);
  // FISH stands centred right under the marquee.
  const RECT fish = first.Ink(NameArea());
  ASSERT_GT(fish.right, 0) << "no name drawn";
  EXPECT_GE(fish.top, 50);
  EXPECT_LE(fish.bottom, 70);
  EXPECT_NEAR((fish.left + fish.right) / 2.0, kWidth / 2.0, 2.0);

  Picture before = first;
  for (int tick = 1; tick <= 21; ++tick) {
    SCOPED_TRACE("tick " + std::to_string(tick));
    const Picture now = Tick();
    ExpectMarquee(now, tick % 2 ? IDB_MARQUEE_FRAME1 : IDB_MARQUEE_FRAME0);
    if (tick < 20) {
      // One row up: what stood one row lower before stands here now.
      EXPECT_EQ(now.Cut({0, 50, kWidth, kHeight - 1}), before.Cut({0, 51, kWidth, kHeight}));
    } else if (tick == 20) {
      EXPECT_TRUE(Blank(now, NameArea()));
    } else {
      EXPECT_EQ(now.Cut(NameArea()), first.Cut(NameArea()));
    }
    before = now;
  }

  // Left alone, the tick runs by itself.
  const int at = preview->scroll.scrollPos;
  const DWORD deadline = GetTickCount() + 10000;
  MSG msg;
  while (preview->scroll.scrollPos == at && static_cast<int>(deadline - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  EXPECT_NE(preview->scroll.scrollPos, at);
}

TEST_F(PreviewWindowTest, NamesAreDrawnAsTheyAre) {
  WriteNowPlaying({"C:\\A\\FISH.AVI", "D:\\B.C\\FISH.MPG", "C:\\CLIPS\\" + std::string(80, '_') + ".AVI",
                   "C:\\CLIPS\\&A.AVI", "C:\\CLIPS\\A.AVI"});
  Open();
  Picture shown = Show();
  // The same name in two folders: the same line twice.
  EXPECT_FALSE(Blank(shown, Line(0)));
  EXPECT_EQ(shown.Cut(Line(0)), shown.Cut(Line(1)));
  // A name wider than the window is cut by the strip's edges, not by its line.
  const RECT wide = shown.Ink(Line(2));
  EXPECT_EQ(wide.left, 0);
  EXPECT_EQ(wide.right, kWidth);
  // An ampersand is a character of the name, not the mark of an underlined letter.
  for (int tick = 0; tick < 40; ++tick) shown = Tick();
  const RECT withAmpersand = shown.Ink(Line(1)), plain = shown.Ink(Line(2));
  ASSERT_GT(plain.right, 0);
  EXPECT_GT(withAmpersand.right - withAmpersand.left, plain.right - plain.left + 3);
}

TEST_F(PreviewWindowTest, WithoutNamesTheMarqueeRunsOverABlackNameArea) {
  HANDLE lock = INVALID_HANDLE_VALUE;
  const std::vector<std::string> many(20000, "C:\\CLIPS\\FISH.AVI");
  struct Case {
    const char* what;
    std::function<void()> prepare;
    int lines;
  };
  const std::vector<Case> cases = {
      {"no playlist file", [] {}, 0},
      {"nothing now playing", [&] { WriteNowPlaying({"C:\\CLIPS\\FISH.AVI"}, ' '); }, 0},
      {"file held by another program beyond the wait",
       [&] {
         WriteNowPlaying({"C:\\CLIPS\\FISH.AVI"});
         lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       0},
      {"a folder where the file should be", [&] { CreateDirectoryA(path.c_str(), nullptr); }, 0},
      {"20,000 movies: a strip beyond the bound", [&] { WriteNowPlaying(many); }, 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    Open();
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
    EXPECT_EQ(preview->scroll.lineCount, c.lines);
    if (c.lines) {
      EXPECT_FALSE(preview->HasNameStrip());
    }
    Picture shown = Show();
    ExpectMarquee(shown, IDB_MARQUEE_FRAME0);
    EXPECT_TRUE(Blank(shown, NameArea()));
    shown = Tick();
    ExpectMarquee(shown, IDB_MARQUEE_FRAME1);
    EXPECT_TRUE(Blank(shown, NameArea()));
    DestroyWindow(preview->hwnd());
    RemoveTestFile();
  }
}

TEST_F(PreviewWindowTest, KeepsItsFirstSizeWhenTheParentIsResized) {
  WriteNowPlaying({"C:\\CLIPS\\FISH.AVI"});
  Open();
  const Picture before = Show();
  SetWindowPos(host, nullptr, 0, 0, kWidth * 2, kHeight + 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT rect{};
  GetWindowRect(preview->hwnd(), &rect);
  EXPECT_EQ(rect.right - rect.left, kWidth);
  EXPECT_EQ(rect.bottom - rect.top, kHeight);
  InvalidateRect(preview->hwnd(), nullptr, TRUE);
  EXPECT_EQ(Show().pixels, before.pixels);
}

TEST_F(PreviewWindowTest, GivesBackEveryGdiObject) {
  WriteNowPlaying({"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI"});
  const auto run = [&](int ticks) {
    for (int i = 0; i < ticks; ++i) Tick();
  };
  // A first preview fills the system's caches (fonts, stock objects).
  Open();
  run(5);
  DestroyWindow(preview->hwnd());
  const long before = bench::GdiObjectCount(GetCurrentProcess());
  ASSERT_GE(before, 0) << "no count of GDI objects on this system";

  Open();
  run(5);
  const long running = bench::GdiObjectCount(GetCurrentProcess());
  run(100);
  EXPECT_EQ(bench::GdiObjectCount(GetCurrentProcess()), running) << "grows while ticking";
  DestroyWindow(preview->hwnd());
  EXPECT_EQ(bench::GdiObjectCount(GetCurrentProcess()), before) << "kept after the window went";
}

}  // namespace
}  // namespace velora
