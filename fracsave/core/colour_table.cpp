#include "fracsave/core/colour_table.h"

#include <algorithm>

namespace fracsave {

void BuildColourTable(ColourTable& table) {
  for (int i = 0; i < kColourCount; ++i) {
    int r, g, b;
    if (i < 42) {
      r = 255, g = 6 * i, b = 0;
    } else if (i < 84) {
      r = 255 - 6 * (i - 42), g = 255, b = 0;
    } else if (i < 126) {
      r = 0, g = 255, b = 6 * (i - 84);
    } else if (i < 168) {
      r = 0, g = 255 - 6 * (i - 126), b = 255;
    } else if (i < 210) {
      r = 6 * (i - 168), g = 0, b = 255;
    } else {
      // The last run is four entries longer than the others; it bottoms out at 0.
      r = 255, g = 0, b = std::max(0, 255 - 6 * (i - 210));
    }
    table.entry[i] = ColourEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
  }
}

void RotateColourTable(ColourTable& table, int n) {
  int shift = n % kColourCount;
  if (shift < 0) shift += kColourCount;
  std::rotate(table.entry, table.entry + shift, table.entry + kColourCount);
}

}  // namespace fracsave
