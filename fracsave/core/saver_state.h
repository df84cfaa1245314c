// The fractal saver's records: the run-time state shared by the shell, the
// generator and the region chooser, and the six preferences. The saver holds
// one of each, all zero at start.
#pragma once

#include <cstdint>

namespace fracsave {

// The part of the complex plane shown: real values at the right and left
// edges, imaginary values at the top and bottom edges.
struct Region {
  double xmax;
  double xmin;
  double ymax;
  double ymin;
};

// What each move of AlterCorners adds to the matching edge (+0.1 or -0.1).
struct CornerSteps {
  double dxmax;
  double dxmin;
  double dymax;
  double dymin;
};

struct ColourEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;  // always 0
};

constexpr int kColourCount = 256;

struct ColourTable {
  ColourEntry entry[kColourCount];
};

struct SaverState {
  Region mset;
  CornerSteps cornerSteps;
  int32_t presetIndex;
  ColourTable colourTable;
  int32_t newImage;
  int32_t abortFrame;
  int32_t frameBusy;
  int32_t frameCount;
  int32_t alterCount;
  int32_t screenWidth;
  int32_t screenHeight;
};

// Flags: 0 off, any other value on.
struct SaverSettings {
  int32_t pwProtected;
  int32_t fastGen;
  int32_t shiftPal;
  int32_t randCorners;
  int32_t alterCorners;
  int32_t showGen;
};

// A colour as the drawing calls take it: red in the low byte, then green, then blue.
inline uint32_t ToColorRef(const ColourEntry& e) {
  return uint32_t(e.red) | (uint32_t(e.green) << 8) | (uint32_t(e.blue) << 16);
}

}  // namespace fracsave
