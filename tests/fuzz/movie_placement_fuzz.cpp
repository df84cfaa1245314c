// Movie and hint placement for any sizes a movie device or a screen could
// claim: the result is always a sane rectangle, and within ordinary sizes it
// is exactly the placement rule, computed here without any shortcut.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <limits>

#include "fuzz_check.h"
#include "velora/playback/core/movie_geometry.h"

using namespace velora;

namespace {

// A corner is negative only where the movie is larger than the screen.
bool Sane(const Placement& p, int W, int H) {
  return (p.x >= 0 || p.width > W) && (p.y >= 0 || p.height > H) && p.width >= 0 && p.height >= 0 && p.width <= kMaxMovieSide &&
         p.height <= kMaxMovieSide && std::int64_t(p.x) + p.width <= std::numeric_limits<int>::max() &&
         std::int64_t(p.y) + p.height <= std::numeric_limits<int>::max();
}

std::int64_t Aligned(std::int64_t v) { return v - v % 8; }

// One direction's corner: on the screen, or covering it when the movie is larger.
std::int64_t Corner(std::int64_t room, int center, int draw) {
  if (room >= 0) return center ? room / 2 : (room == 0 ? 0 : draw % room);
  return center ? 0 : -(draw % (1 - room));
}

// The rule in 64-bit arithmetic, for sizes where it needs no limits.
Placement Expected(std::int64_t nw, std::int64_t nh, std::int64_t W, std::int64_t H, int zoom, int center,
                   bool fit, int r1, int r2) {
  std::int64_t w = zoom == 0 ? nw / 2 : zoom == 2 ? nw * 2 : nw;
  std::int64_t h = zoom == 0 ? nh / 2 : zoom == 2 ? nh * 2 : nh;
  if (fit) {
    w = nw <= 0 || nh <= 0 ? 0 : nw * H >= nh * W ? W : nw * H / nh;
    h = nw <= 0 || nh <= 0 ? 0 : nw * H >= nh * W ? nh * W / nw : H;
  }
  return Placement{int(Aligned(Corner(W - w, center, r1))), int(Aligned(Corner(H - h, center, r2))), int(w), int(h)};
}

bool Ordinary(int v, int limit) { return v >= 0 && v <= limit; }

int Size(FuzzedDataProvider& in) {
  // Mostly ordinary sizes, sometimes anything at all.
  return in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(0, 4096);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  SaverRandom random;
  for (int warm = in.ConsumeIntegralInRange(0, 300); warm > 0; --warm) random.Next();
  const int nw = Size(in), nh = Size(in), W = Size(in), H = Size(in);
  const int zoom = in.ConsumeIntegralInRange(-1, 3), center = in.ConsumeIntegralInRange(0, 1);
  const bool fit = in.ConsumeBool();

  SaverRandom draws = random;
  const int r1 = draws.Next(), r2 = draws.Next();
  const Placement p = ComputeMovieRect(nw, nh, W, H, zoom, center, random, fit);
  FUZZ_CHECK(Sane(p, W, H));
  FUZZ_CHECK(p.x % 8 == 0 && p.y % 8 == 0);
  FUZZ_CHECK(center || random.Next() == draws.Next());  // exactly two draws when placed at random
  if (Ordinary(nw, kMaxMovieSide / 2) && Ordinary(nh, kMaxMovieSide / 2) && Ordinary(W, kMaxMovieSide) &&
      Ordinary(H, kMaxMovieSide)) {
    const Placement e = Expected(nw, nh, W, H, zoom, center, fit, r1, r2);
    FUZZ_CHECK(p.x == e.x && p.y == e.y && p.width == e.width && p.height == e.height);
  }

  SaverRandom hintRandom = random;
  const Placement hint = PlaceHint(nw, nh, W, H, hintRandom);
  // The hint never goes left of or above the screen, whatever its size.
  FUZZ_CHECK(Sane(hint, std::numeric_limits<int>::max(), std::numeric_limits<int>::max()));
  if (Ordinary(nw, kMaxMovieSide) && Ordinary(nh, kMaxMovieSide) && Ordinary(W, kMaxMovieSide) &&
      Ordinary(H, kMaxMovieSide)) {
    SaverRandom again = random;
    const int h1 = again.Next(), h2 = again.Next();
    FUZZ_CHECK(hint.x == (W == nw ? 0 : h1 % (W - nw)) && hint.y == (H == nh ? 0 : h2 % (H - nh)));
  }

  const int count = in.ConsumeIntegral<int>(), current = in.ConsumeIntegral<int>();
  const int next = NextMovieIndex(current, count);
  FUZZ_CHECK(next >= 0 && (count <= 0 || next < count));
  if (current >= 0 && std::int64_t(current) < std::int64_t(count) - 1) FUZZ_CHECK(next == current + 1);
  return 0;
}
