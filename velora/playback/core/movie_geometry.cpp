#include "velora/playback/core/movie_geometry.h"

#include <algorithm>

namespace velora {

namespace {

std::int64_t Side(std::int64_t v) { return std::clamp<std::int64_t>(v, 0, kMaxMovieSide); }

int AlignDown8(std::int64_t v) {
  v -= v % 8;
  return v < 0 ? 0 : static_cast<int>(v);
}

}  // namespace

int RandomOffset(int draw, std::int64_t room) { return room == 0 ? 0 : static_cast<int>(draw % room); }

Placement ComputeMovieRect(int nw, int nh, int screenWidth, int screenHeight, int zoom, int center,
                           SaverRandom& random) {
  std::int64_t w = nw, h = nh;
  if (zoom == 0) {
    w /= 2;
    h /= 2;
  } else if (zoom == 2) {
    w *= 2;
    h *= 2;
  }
  w = Side(w);
  h = Side(h);
  const std::int64_t roomX = Side(screenWidth) - w, roomY = Side(screenHeight) - h;
  std::int64_t x, y;
  if (center) {
    x = roomX / 2;
    y = roomY / 2;
  } else {
    const int r1 = random.Next();
    const int r2 = random.Next();
    x = RandomOffset(r1, roomX);
    y = RandomOffset(r2, roomY);
  }
  return Placement{AlignDown8(x), AlignDown8(y), static_cast<int>(w), static_cast<int>(h)};
}

Placement PlaceHint(int textWidth, int textHeight, int screenWidth, int screenHeight, SaverRandom& random) {
  const int r1 = random.Next();
  const int r2 = random.Next();
  const std::int64_t w = Side(textWidth), h = Side(textHeight);
  return Placement{RandomOffset(r1, Side(screenWidth) - w), RandomOffset(r2, Side(screenHeight) - h),
                   static_cast<int>(w), static_cast<int>(h)};
}

int NextMovieIndex(int current, int count) {
  return (count <= 0 || current < 0 || current >= count - 1) ? 0 : current + 1;
}

}  // namespace velora
