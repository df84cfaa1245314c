#include "velora/playback/core/movie_geometry.h"

#include <algorithm>

namespace velora {

namespace {

std::int64_t Side(std::int64_t v) { return std::clamp<std::int64_t>(v, 0, kMaxMovieSide); }

// A corner on the screen or, for a movie larger than the screen, left of or
// above it: towards 0 to a multiple of 8, so the movie still covers the screen.
int Align8(std::int64_t v) { return static_cast<int>(v - v % 8); }

// Where a movie of the given room (screen minus movie) starts in one direction.
std::int64_t Corner(std::int64_t room, bool center, int draw) {
  if (room >= 0) return center ? room / 2 : RandomOffset(draw, room);
  return center ? 0 : -static_cast<std::int64_t>(RandomOffset(draw, 1 - room));
}

// The largest size with the movie's aspect that fits the screen.
void FitToScreen(std::int64_t& w, std::int64_t& h, std::int64_t screenWidth, std::int64_t screenHeight) {
  if (w <= 0 || h <= 0) {
    w = h = 0;
  } else if (w * screenHeight >= h * screenWidth) {
    h = h * screenWidth / w;
    w = screenWidth;
  } else {
    w = w * screenHeight / h;
    h = screenHeight;
  }
}

}  // namespace

int RandomOffset(int draw, std::int64_t room) { return room == 0 ? 0 : static_cast<int>(draw % room); }

Placement ComputeMovieRect(int nw, int nh, int screenWidth, int screenHeight, int zoom, int center,
                           SaverRandom& random, bool fitToScreen) {
  std::int64_t w = nw, h = nh;
  if (fitToScreen) {
    w = Side(w);
    h = Side(h);
    FitToScreen(w, h, Side(screenWidth), Side(screenHeight));
  } else if (zoom == 0) {
    w /= 2;
    h /= 2;
  } else if (zoom == 2) {
    w *= 2;
    h *= 2;
  }
  w = Side(w);
  h = Side(h);
  const std::int64_t roomX = Side(screenWidth) - w, roomY = Side(screenHeight) - h;
  const int r1 = center ? 0 : random.Next();
  const int r2 = center ? 0 : random.Next();
  return Placement{Align8(Corner(roomX, center != 0, r1)), Align8(Corner(roomY, center != 0, r2)),
                   static_cast<int>(w), static_cast<int>(h)};
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
