// Screenshots of the X root window as RGB pixels, and recognising the
// system's message-box icons in them.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "driver.h"

namespace e2e {

Rgb RgbFromColorRef(COLORREF colour) {
  return Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

Screenshot Screenshot::TakeRoot() {
  static std::atomic<int> counter{0};
  const std::string linuxPath = ScratchDirLinux() + "/e2e-shot-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter++) + ".ppm";
  const std::string path = WindowsPathFromLinux(linuxPath);
  DeleteFileIfPresent(path);
  Screenshot shot;
  if (RunLinux("/usr/bin/import -window root 'ppm:" + linuxPath + "'") == 0) {
    if (std::optional<std::string> bytes = ReadFileBytes(path)) shot = FromPpm(*bytes);
  }
  DeleteFileIfPresent(path);
  return shot;
}

Screenshot Screenshot::TakeRootWithPointer() {
  static std::atomic<int> counter{0};
  const std::string linuxPath = ScratchDirLinux() + "/e2e-grab-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter++) + ".ppm";
  const std::string path = WindowsPathFromLinux(linuxPath);
  DeleteFileIfPresent(path);
  const std::string size = std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                           std::to_string(GetSystemMetrics(SM_CYSCREEN));
  Screenshot shot;
  if (RunLinux("/usr/bin/ffmpeg -nostdin -y -loglevel error -f x11grab -draw_mouse 1 -video_size " +
               size + " -i $DISPLAY -frames:v 1 -c:v ppm '" + linuxPath + "'") == 0) {
    if (std::optional<std::string> bytes = ReadFileBytes(path)) shot = FromPpm(*bytes);
  }
  DeleteFileIfPresent(path);
  return shot;
}

namespace {

// Reads the next header token of a PPM, skipping blanks and comments.
bool NextNumber(const std::string& bytes, size_t& at, long& number) {
  for (;;) {
    while (at < bytes.size() && isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    if (at < bytes.size() && bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
      continue;
    }
    break;
  }
  size_t start = at;
  number = 0;
  while (at < bytes.size() && isdigit(static_cast<unsigned char>(bytes[at])) && at - start < 9)
    number = number * 10 + (bytes[at++] - '0');
  return at > start;
}

}  // namespace

Screenshot Screenshot::FromPpm(const std::string& bytes) {
  Screenshot shot;
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return shot;
  size_t at = 2;
  long width = 0, height = 0, maximum = 0;
  if (!NextNumber(bytes, at, width) || !NextNumber(bytes, at, height) ||
      !NextNumber(bytes, at, maximum))
    return shot;
  if (width <= 0 || height <= 0 || maximum <= 0 || maximum > 65535 || at >= bytes.size())
    return shot;
  ++at;  // the single blank after the maximum value
  const size_t sampleSize = maximum > 255 ? 2 : 1;
  const size_t needed = static_cast<size_t>(width) * height * 3 * sampleSize;
  if (bytes.size() - at < needed) return shot;
  auto sample = [&](size_t index) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    long value = sampleSize == 2 ? (data[2 * index] << 8 | data[2 * index + 1]) : data[index];
    return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
  };
  shot.pixels_.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < shot.pixels_.size(); ++i)
    shot.pixels_[i] = Rgb{sample(3 * i), sample(3 * i + 1), sample(3 * i + 2)};
  shot.width_ = static_cast<int>(width);
  shot.height_ = static_cast<int>(height);
  return shot;
}

Rgb Screenshot::At(int x, int y) const {
  return Contains(x, y) ? pixels_[static_cast<size_t>(y) * width_ + x] : Rgb{};
}

int Screenshot::Count(const RECT& area, const Rgb& colour, int tolerance) const {
  int count = 0;
  for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y)
    for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x)
      if (Near(At(x, y), colour, tolerance)) ++count;
  return count;
}

RECT Screenshot::BoundingBox(const Rgb& colour, int tolerance) const {
  RECT box{width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (!Near(At(x, y), colour, tolerance)) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box.right > 0 ? box : RECT{};
}

int Screenshot::CountDifferences(const Screenshot& other, const RECT& area) const {
  int count = 0;
  for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y)
    for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x)
      if (At(x, y) != other.At(x, y)) ++count;
  return count;
}

namespace {

// The icon drawn by this process over a plain background, the way an icon
// control draws it: stretched to the control's client size.
std::vector<Rgb> DrawIcon(HICON icon, int width, int height, const Rgb& background) {
  std::vector<Rgb> pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc || !bitmap) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return pixels;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(RGB(background.r, background.g, background.b));
  RECT all{0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  const auto* bgra = static_cast<const std::uint8_t*>(bits);
  pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = Rgb{bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]};
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

}  // namespace

BoxIcon RecogniseIcon(const Screenshot& screen, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (screen.empty() || width <= 0 || height <= 0) return BoxIcon::Unknown;
  // The background just left of the control is the dialog's, as under the icon.
  const Rgb background = screen.Contains(area.left - 1, area.top)
                             ? screen.At(area.left - 1, area.top)
                             : screen.At(area.left, area.top);
  const std::pair<LPCSTR, BoxIcon> candidates[] = {
      {IDI_ASTERISK, BoxIcon::Information},
      {IDI_EXCLAMATION, BoxIcon::Exclamation},
      {IDI_HAND, BoxIcon::Error},
      {IDI_QUESTION, BoxIcon::Question},
  };
  BoxIcon best = BoxIcon::Unknown;
  double bestScore = 0;
  for (const auto& [id, kind] : candidates) {
    std::vector<Rgb> expected = DrawIcon(LoadIconA(nullptr, id), width, height, background);
    if (expected.empty()) continue;
    int same = 0, drawn = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const Rgb& want = expected[static_cast<size_t>(y) * width + x];
        if (want != background) ++drawn;
        if (Near(want, screen.At(area.left + x, area.top + y), 24)) ++same;
      }
    }
    const double score = static_cast<double>(same) / (width * height);
    if (drawn > 0 && score > bestScore) {
      bestScore = score;
      best = kind;
    }
  }
  return bestScore >= 0.97 ? best : BoxIcon::Unknown;
}

}  // namespace e2e
