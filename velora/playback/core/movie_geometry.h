#pragma once
// Where a movie goes on the screen, and where the no-movies hint goes.
#include <cstdint>

#include "velora/playback/core/saver_random.h"

namespace velora {

struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
};

// Sizes come from the movie device and the screen and are not trusted: each
// side is held to 0 .. kMaxMovieSide (far beyond any screen), so that every
// position and every far edge (x + width, y + height) fits an int.
constexpr int kMaxMovieSide = 1 << 27;

// The movie's size by zoom (0 half, 2 double, anything else its own size) or,
// with `fitToScreen`, the largest that fits the screen with its aspect kept;
// and its place: centred when center is non-zero, else random from two draws. The top-left corner is lowered to
// a multiple of 8 and, where the movie fits, never negative. A movie larger
// than the screen in a direction covers the screen in it: centred, it starts
// at the edge; at random, its corner lies between W - w and 0, moved towards 0
// to a multiple of 8.
Placement ComputeMovieRect(int nativeWidth, int nativeHeight, int screenWidth, int screenHeight, int zoom,
                           int center, SaverRandom& random, bool fitToScreen = false);

// A random place for a text of the given size: two draws, no alignment.
Placement PlaceHint(int textWidth, int textHeight, int screenWidth, int screenHeight, SaverRandom& random);

// The remainder of a draw divided by the free room (sign of the draw, so never
// negative); no room at all leaves the only place inside the screen, 0.
int RandomOffset(int draw, std::int64_t room);

// The movie after `current` in a list of `count`, wrapping to the first; always
// a valid index of a non-empty list.
int NextMovieIndex(int current, int count);

}  // namespace velora
