#pragma once
// A decoded frame's picture in the form the screen takes. Decoders give
// NV12: a plane of brightness (one byte a pixel) and below it a plane of
// colour at half the size each way (a byte pair, blue and red difference, for
// each 2x2 block of pixels). Converted here rather than by Media Foundation's
// converter, which under Wine costs as much again as the decoding.
#include <cstddef>
#include <cstdint>

namespace velora {

// Which colours the brightness and colour differences stand for: HD video
// uses BT.709's, standard definition BT.601's; both in the studio range
// (16-235).
enum class ColourMatrix { kBt601, kBt709 };

// The matrix a movie of this height uses when its type tells none.
inline ColourMatrix UsualMatrixFor(int height) { return height >= 720 ? ColourMatrix::kBt709 : ColourMatrix::kBt601; }

// Converts the picture at `left`, `top`, `width` by `height` pixels of an
// NV12 frame `rows` rows high, each plane's rows `stride` bytes apart (even,
// and at least the frame's width rounded up to even), to 32-bit
// blue-green-red pixels, top row first, `width` a row. The frame holds
// stride * (rows + (rows + 1) / 2) bytes.
void ConvertNv12(const std::uint8_t* frame, int stride, int rows, int left, int top, int width, int height,
                 ColourMatrix matrix, std::uint32_t* out);

}  // namespace velora
