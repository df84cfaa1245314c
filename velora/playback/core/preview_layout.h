#pragma once
// What the preview shows and how it moves, apart from the drawing: the names
// of the now-playing movies, the strip they are drawn into, and the tick that
// scrolls the strip and switches the marquee lights.
#include <cstddef>
#include <string>
#include <string_view>

namespace velora {

// Rows per name in the strip, at 100 %.
constexpr int kPreviewLinePitch = 20;
// Rows between the top of the preview and the first name, beyond the
// marquee's height, at 100 %.
constexpr int kPreviewNameGap = 10;

// The name of a movie as the preview shows it: the file name without
// directory and extension ("C:\CLIPS\FISH.AVI" gives "FISH"). Trailing dots
// are dropped first, as the system drops them from file names.
std::string MovieName(std::string_view path);

// The largest name strip the preview makes, in bytes. A 152-pixel wide
// preview at 32 bits a pixel holds about 1,300 names in it; a longer list
// leaves the name area black rather than taking hundreds of megabytes.
constexpr std::size_t kNameStripMaxBytes = 16u << 20;

// Whether a strip of width x height pixels at the given depth stays within
// the bound (and is a picture at all).
bool NameStripFits(int width, int height, int bitsPerPixel);

// The preview's scrolling: `scrollPos` is the strip row shown at client row
// `topMargin`; the strip holds `topMargin` empty rows and then the names.
struct PreviewScroll {
  int lineCount = 0;
  int linePitch = kPreviewLinePitch;
  int topMargin = 0;
  int stripHeight = 0;
  int scrollPos = 0;
  int marqueeFrame = 0;  // 0 shows the first light pattern, 1 the other

  // Starts with the first name right under a marquee of the given height;
  // the rows are laid out at `artScale` percent (a screen of 150 % has the
  // marquee and the names half as large again).
  void Start(std::size_t names, int marqueeHeight, int artScale = 100);
  // One tick: the other light pattern, and the names one row up; once the
  // strip has scrolled out, the first name is back under the marquee.
  void Tick();
};

}  // namespace velora
