#include "velora/playback/movie_geometry.h"

namespace velora {

namespace {

int AlignDown8(int v) {
  v -= v % 8;
  return v < 0 ? 0 : v;
}

}  // namespace

int RandomOffset(int draw, int room) { return room == 0 ? 0 : draw % room; }

Placement ComputeMovieRect(int nw, int nh, int screenWidth, int screenHeight, int zoom, int center,
                           SaverRandom& random) {
  Placement p;
  if (zoom == 0) {
    p.width = nw / 2;
    p.height = nh / 2;
  } else if (zoom == 2) {
    p.width = nw * 2;
    p.height = nh * 2;
  } else {
    p.width = nw;
    p.height = nh;
  }
  if (center) {
    p.x = (screenWidth - p.width) / 2;
    p.y = (screenHeight - p.height) / 2;
  } else {
    int r1 = random.Next();
    int r2 = random.Next();
    p.x = RandomOffset(r1, screenWidth - p.width);
    p.y = RandomOffset(r2, screenHeight - p.height);
  }
  p.x = AlignDown8(p.x);
  p.y = AlignDown8(p.y);
  return p;
}

Placement PlaceHint(int textWidth, int textHeight, int screenWidth, int screenHeight, SaverRandom& random) {
  Placement p;
  int r1 = random.Next();
  int r2 = random.Next();
  p.x = RandomOffset(r1, screenWidth - textWidth);
  p.y = RandomOffset(r2, screenHeight - textHeight);
  p.width = textWidth;
  p.height = textHeight;
  return p;
}

int NextMovieIndex(int current, int count) {
  int next = current + 1;
  return next >= count ? 0 : next;
}

}  // namespace velora
