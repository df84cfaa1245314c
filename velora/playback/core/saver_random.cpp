#include "velora/playback/core/saver_random.h"

namespace velora {

SaverRandom& ProcessRandom() {
  static SaverRandom random;
  return random;
}

}  // namespace velora
