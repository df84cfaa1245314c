#include "velora/playback/core/picture_conversion.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One pixel: brightness at `x` of its row, colour from the pair of its 2x2 block.
inline std::uint32_t Pixel(const std::uint8_t* brightness, const std::uint8_t* colour, int x, const Coefficients& k) {
  const int y = k.y * (brightness[x] - 16) + 128;
  const int u = colour[x & ~1] - 128, v = colour[x | 1] - 128;
  return Clamp((y + k.bu * u) >> 8) | Clamp((y - k.gu * u - k.gv * v) >> 8) << 8 | Clamp((y + k.rv * v) >> 8) << 16;
}

#if defined(__SSE2__)
// Eight pixels from an even `x` at a time, by the same integer steps as
// Pixel (products of 16-bit pairs summed in 32 bits), so every pixel comes
// out the same; answers where the rest starts.
int ConvertEights(const std::uint8_t* brightness, const std::uint8_t* colour, int x, int end, const Coefficients& k,
                  std::uint32_t*& out) {
  const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1), half = _mm_set1_epi32(128);
  const __m128i blue = _mm_setr_epi16(298, k.bu, 298, k.bu, 298, k.bu, 298, k.bu);
  const __m128i red = _mm_setr_epi16(298, k.rv, 298, k.rv, 298, k.rv, 298, k.rv);
  const __m128i greenByU = _mm_setr_epi16(298, -k.gu, 298, -k.gu, 298, -k.gu, 298, -k.gu);
  const __m128i greenByV = _mm_setr_epi16(-k.gv, 128, -k.gv, 128, -k.gv, 128, -k.gv, 128);
  for (; x + 8 <= end; x += 8) {
    const __m128i y = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(brightness + x)), zero), _mm_set1_epi16(16));
    const __m128i uv = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(colour + x)), zero), _mm_set1_epi16(128));
    // Each block's pair for both of its pixels.
    const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0));
    const __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    __m128i channel[3];  // blue, green, red; 16 bits a pixel
    for (int c = 0; c < 3; ++c) {
      __m128i halves[2];
      for (int h = 0; h < 2; ++h) {
        const __m128i yu = h ? _mm_unpackhi_epi16(y, u) : _mm_unpacklo_epi16(y, u);
        const __m128i yv = h ? _mm_unpackhi_epi16(y, v) : _mm_unpacklo_epi16(y, v);
        const __m128i v1 = h ? _mm_unpackhi_epi16(v, ones) : _mm_unpacklo_epi16(v, ones);
        const __m128i sum = c == 0   ? _mm_add_epi32(_mm_madd_epi16(yu, blue), half)
                            : c == 1 ? _mm_add_epi32(_mm_madd_epi16(yu, greenByU), _mm_madd_epi16(v1, greenByV))
                                     : _mm_add_epi32(_mm_madd_epi16(yv, red), half);
        halves[h] = _mm_srai_epi32(sum, 8);
      }
      channel[c] = _mm_packs_epi32(halves[0], halves[1]);
    }
    const __m128i blueGreen = _mm_unpacklo_epi8(_mm_packus_epi16(channel[0], zero), _mm_packus_epi16(channel[1], zero));
    const __m128i redNone = _mm_unpacklo_epi8(_mm_packus_epi16(channel[2], zero), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(blueGreen, redNone));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(blueGreen, redNone));
    out += 8;
  }
  return x;
}
#endif

}  // namespace

void ConvertNv12(const std::uint8_t* frame, int stride, int rows, int left, int top, int width, int height,
                 ColourMatrix matrix, std::uint32_t* out) {
  const Coefficients k = matrix == ColourMatrix::kBt709 ? kBt709 : kBt601;
  const std::uint8_t* colourPlane = frame + static_cast<std::ptrdiff_t>(stride) * rows;
  const int end = left + width;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* brightness = frame + static_cast<std::ptrdiff_t>(stride) * (top + row);
    const std::uint8_t* colour = colourPlane + static_cast<std::ptrdiff_t>(stride) * ((top + row) / 2);
    int x = left;
    // A picture starting in the middle of a block starts with its second pixel alone.
    if (x & 1) *out++ = Pixel(brightness, colour, x++, k);
#if defined(__SSE2__)
    x = ConvertEights(brightness, colour, x, end, k, out);
#endif
    for (; x < end; ++x) *out++ = Pixel(brightness, colour, x, k);
  }
}

}  // namespace velora
