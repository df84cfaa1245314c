#include "velora/playback/core/preview_layout.h"

#include <algorithm>
#include <climits>

#include "velora/playback/core/movie_file.h"

namespace velora {

std::string MovieName(std::string_view path) {
  std::string_view name = FileNamePart(path);
  while (!name.empty() && name.back() == '.') name.remove_suffix(1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

bool NameStripFits(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
  // Rows of device bitmaps are padded to whole 16-bit words.
  const unsigned long long rowBytes = (static_cast<unsigned long long>(width) * bitsPerPixel + 15) / 16 * 2;
  return rowBytes * static_cast<unsigned long long>(height) <= kNameStripMaxBytes;
}

void PreviewScroll::Start(std::size_t names, int marqueeHeight, int artScale) {
  linePitch = kPreviewLinePitch * artScale / 100;
  // No list is long enough to reach these limits in practice; they only keep
  // the arithmetic whole.
  const long long rows = static_cast<long long>(std::min<std::size_t>(names, INT_MAX)) * linePitch;
  lineCount = static_cast<int>(std::min<std::size_t>(names, INT_MAX));
  topMargin = marqueeHeight + kPreviewNameGap * artScale / 100;
  stripHeight = static_cast<int>(std::min<long long>(rows + topMargin, INT_MAX));
  scrollPos = topMargin;
  marqueeFrame = 0;
}

void PreviewScroll::Tick() {
  marqueeFrame = 1 - marqueeFrame;
  // Once the strip's end has been shown, start again from the first name.
  if (scrollPos >= stripHeight)
    scrollPos = topMargin;
  else
    ++scrollPos;
}

}  // namespace velora
