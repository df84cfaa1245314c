#pragma once
// The movie saver's one pseudo-random generator. It starts from the same state
// in every process and is never reseeded, so placements repeat run after run.
#include <cstdint>

namespace velora {

class SaverRandom {
 public:
  // A value from 0 to 32767.
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state = 1;
};

// The process-wide generator shared by the movie placement and the no-movies hint.
SaverRandom& ProcessRandom();

}  // namespace velora
