#include "velora/playback/core/picture_conversion.h"

namespace velora {

namespace {

// Studio-range coefficients times 256: brightness, red from red difference,
// green from blue and from red difference, blue from blue difference.
struct Coefficients {
  int y, rv, gu, gv, bu;
};
constexpr Coefficients kBt601{298, 409, 100, 208, 516};
constexpr Coefficients kBt709{298, 459, 55, 136, 541};

inline std::uint32_t Clamp(int value) { return value < 0 ? 0u : value > 255 ? 255u : static_cast<std::uint32_t>(value); }

}  // namespace

void ConvertNv12(const std::uint8_t* frame, int stride, int rows, int left, int top, int width, int height,
                 ColourMatrix matrix, std::uint32_t* out) {
  const Coefficients k = matrix == ColourMatrix::kBt709 ? kBt709 : kBt601;
  const std::uint8_t* colourPlane = frame + static_cast<std::ptrdiff_t>(stride) * rows;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* brightness = frame + static_cast<std::ptrdiff_t>(stride) * (top + row);
    const std::uint8_t* colour = colourPlane + static_cast<std::ptrdiff_t>(stride) * ((top + row) / 2);
    for (int x = left; x < left + width; ++x) {
      const int y = k.y * (brightness[x] - 16) + 128;
      const int u = colour[x & ~1] - 128, v = colour[x | 1] - 128;
      *out++ = Clamp((y + k.bu * u) >> 8) | Clamp((y - k.gu * u - k.gv * v) >> 8) << 8 |
               Clamp((y + k.rv * v) >> 8) << 16;
    }
  }
}

}  // namespace velora
