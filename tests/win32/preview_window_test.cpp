// The preview hosted in a window of this process and read back pixel by
// pixel: the marquee, the names and their scrolling, the empty preview, and
// the GDI objects it holds.
#include "velora/playback/preview_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/gdi_objects.h"
#include "velora/resources/resource_ids.h"

namespace velora {

// The preview's state the tests read.
class PreviewTestAccess {
 public:
  static int LineCount(const PreviewWindow& w) { return w.scroll.lineCount; }
  static bool HasNameStrip(const PreviewWindow& w) { return static_cast<bool>(w.nameStrip); }
};

namespace {

constexpr int kWidth = 152, kHeight = 112;  // the settings page's little monitor

struct Picture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // 0x00RRGGBB, top row first

  std::vector<COLORREF> Cut(const RECT& r) const {
    std::vector<COLORREF> out;
    for (int y = r.top; y < r.bottom; ++y) out.insert(out.end(), &pixels[y * width + r.left], &pixels[y * width + r.right]);
    return out;
  }
  // The smallest rectangle holding the area's non-black pixels; all 0 if none.
  RECT Ink(const RECT& r) const {
    RECT ink{};
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const RECT pixel{x, y, x + 1, y + 1};
        if (pixels[y * width + x] & 0xFFFFFF) UnionRect(&ink, &ink, &pixel);
      }
    return ink;
  }
  bool Blank(const RECT& r) const { return Ink(r).right == 0; }
};

Picture PixelsOf(HBITMAP bitmap) {
  BITMAP size{};
  GetObjectA(bitmap, sizeof size, &size);
  Picture picture{size.bmWidth, size.bmHeight, std::vector<COLORREF>(size_t(size.bmWidth) * size.bmHeight)};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, size.bmHeight, picture.pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  // Only the colour bytes: the fourth is undefined (some systems give 0xFF there).
  for (COLORREF& pixel : picture.pixels) pixel &= 0x00FFFFFF;
  return picture;
}

Picture Capture(HWND window) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP copy = CreateCompatibleBitmap(dc, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, copy);
  BitBlt(memory, 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  Picture picture = PixelsOf(copy);
  DeleteObject(copy);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return picture;
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "velora-preview-test.ini";
    RemoveTestFile();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PreviewTestHost";
    RegisterClassA(&wc);
    // Topmost, so that nothing else on the test display covers what is read back.
    host = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override {
    DestroyWindow(host);
    RemoveTestFile();
  }
  void RemoveTestFile() {
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
  }
  // A playlist file whose one playlist holds the paths, now playing unless marked otherwise.
  void WriteList(const std::vector<std::string>& paths, char mark = '>') {
    std::string text = std::string("Velora PlayLists\r\n\r\n\a") + mark + "Test\a\r\n";
    for (const std::string& movie : paths) text += " " + movie + "\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  // Creates and sets up the preview as the start-up does; it goes with the host.
  void Open() {
    preview = new PreviewWindow(PlaylistFile(path));
    ASSERT_TRUE(preview->CreatePreview(host, RECT{0, 0, kWidth, kHeight}));
    preview->SelfDeleting();
    EXPECT_NE(preview->SetupPreview(), 0u);
  }
  Picture Tick(int ticks = 1) {
    for (int i = 0; i < ticks; ++i) SendMessageA(preview->hwnd(), WM_TIMER, 1, 0);
    UpdateWindow(preview->hwnd());
    return Capture(preview->hwnd());
  }
  // Bitmap 145 or 144 at ((W - 121) / 2, 2), black around it down to the names.
  static void ExpectMarquee(const Picture& shown, int id) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    const Picture marquee = PixelsOf(bitmap);
    DeleteObject(bitmap);
    const RECT at{(kWidth - 121) / 2, 2, (kWidth - 121) / 2 + 121, 42};
    EXPECT_EQ(shown.Cut(at), marquee.pixels) << "not bitmap " << id;
    for (const RECT& band : {RECT{0, 0, kWidth, 2}, RECT{0, 2, at.left, 50}, RECT{at.right, 2, kWidth, 50},
                             RECT{at.left, at.bottom, at.right, 50}})
      EXPECT_TRUE(shown.Blank(band));
  }
  static RECT Line(int i) { return {0, 50 + 20 * i, kWidth, 70 + 20 * i}; }
  static constexpr RECT kNames{0, 50, kWidth, kHeight};

  std::string path;
  HWND host = nullptr;
  PreviewWindow* preview = nullptr;
};

TEST_F(PreviewWindowTest, OneMovieScrollsUpAndOutThenStartsOver) {
  WriteList({"C:\\CLIPS\\FISH.AVI"});
  Open();
  const Picture first = Tick(0);
  ExpectMarquee(first, IDB_MARQUEE_FRAME0);
  const RECT fish = first.Ink(kNames);
  EXPECT_TRUE(fish.top >= 50 && fish.bottom <= 70) << "not right under the marquee";
  EXPECT_NEAR((fish.left + fish.right) / 2.0, kWidth / 2.0, 2.0);

  Picture before = first;
  for (int tick = 1; tick <= 21; ++tick) {
    SCOPED_TRACE("tick " + std::to_string(tick));
    const Picture now = Tick();
    ExpectMarquee(now, tick % 2 ? IDB_MARQUEE_FRAME1 : IDB_MARQUEE_FRAME0);
    if (tick < 20)  // one row up
      EXPECT_EQ(now.Cut({0, 50, kWidth, kHeight - 1}), before.Cut({0, 51, kWidth, kHeight}));
    else if (tick == 20)
      EXPECT_TRUE(now.Blank(kNames));
    else
      EXPECT_EQ(now.Cut(kNames), first.Cut(kNames));
    before = now;
  }

  // The window keeps its first size and picture when the parent grows.
  SetWindowPos(host, nullptr, 0, 0, kWidth * 2, kHeight + 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT rect{};
  GetWindowRect(preview->hwnd(), &rect);
  EXPECT_EQ(rect.right - rect.left, kWidth);
  EXPECT_EQ(rect.bottom - rect.top, kHeight);
  EXPECT_EQ(Tick(0).pixels, before.pixels);
}

TEST_F(PreviewWindowTest, NamesAreDrawnAsTheyAre) {
  WriteList({"C:\\A\\FISH.AVI", "D:\\B.C\\FISH.MPG", "C:\\CLIPS\\" + std::string(80, '_') + ".AVI", "C:\\CLIPS\\&A.AVI",
             "C:\\CLIPS\\A.AVI"});
  Open();
  Picture shown = Tick(0);
  // The same name in two folders: the same line twice.
  EXPECT_FALSE(shown.Blank(Line(0)));
  EXPECT_EQ(shown.Cut(Line(0)), shown.Cut(Line(1)));
  // A name wider than the window is cut by the strip's edges, not by its line.
  EXPECT_EQ(shown.Ink(Line(2)).left, 0);
  EXPECT_EQ(shown.Ink(Line(2)).right, kWidth);
  // An ampersand is a character of the name, not the mark of an underlined letter.
  shown = Tick(40);
  const RECT withAmpersand = shown.Ink(Line(1)), plain = shown.Ink(Line(2));
  EXPECT_GT(withAmpersand.right - withAmpersand.left, plain.right - plain.left + 3);
}

TEST_F(PreviewWindowTest, WithoutNamesTheMarqueeRunsOverABlackNameArea) {
  HANDLE lock = INVALID_HANDLE_VALUE;
  struct Case {
    const char* what;
    std::function<void()> prepare;
    int lines;
  };
  const std::vector<Case> cases = {
      {"no playlist file", [] {}, 0},
      {"nothing now playing", [&] { WriteList({"C:\\CLIPS\\FISH.AVI"}, ' '); }, 0},
      {"file held by another program beyond the wait",
       [&] {
         WriteList({"C:\\CLIPS\\FISH.AVI"});
         lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       0},
      {"a folder where the file should be", [&] { CreateDirectoryA(path.c_str(), nullptr); }, 0},
      {"20,000 movies: a strip beyond the bound", [&] { WriteList(std::vector<std::string>(20000, "C:\\F.AVI")); }, 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    Open();
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(lock, INVALID_HANDLE_VALUE));
    EXPECT_EQ(PreviewTestAccess::LineCount(*preview), c.lines);
    EXPECT_EQ(PreviewTestAccess::HasNameStrip(*preview), c.lines == 0);
    for (int id : {IDB_MARQUEE_FRAME0, IDB_MARQUEE_FRAME1}) {
      const Picture shown = Tick(id == IDB_MARQUEE_FRAME0 ? 0 : 1);
      ExpectMarquee(shown, id);
      EXPECT_TRUE(shown.Blank(kNames));
    }
    DestroyWindow(preview->hwnd());
    RemoveTestFile();
  }
}

TEST_F(PreviewWindowTest, GivesBackEveryGdiObject) {
  WriteList({"C:\\CLIPS\\FISH.AVI", "C:\\CLIPS\\BIRDS.AVI"});
  const auto count = [] { return bench::GdiObjectCount(GetCurrentProcess()); };
  // A first preview fills the system's caches (fonts, stock objects).
  Open();
  Tick(5);
  DestroyWindow(preview->hwnd());
  const long before = count();
  ASSERT_GE(before, 0) << "no count of GDI objects on this system";
  Open();
  Tick(5);
  const long running = count();
  for (int i = 0; i < 100; ++i) Tick();
  EXPECT_EQ(count(), running) << "grows while ticking";
  DestroyWindow(preview->hwnd());
  EXPECT_EQ(count(), before) << "kept after the window went";
}

}  // namespace
}  // namespace velora
