#include "stills/dib_to_rgb.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define STILLCUTTER_HAVE_SSSE3_PATH 1
#endif

namespace {

using RowFn = void (*)(const uint8_t* src, uint8_t* dst, size_t width);

void SwapRowPortable(const uint8_t* src, uint8_t* dst, size_t width)
{
    for (size_t i = 0; i < width; ++i) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
        src += 3;
        dst += 3;
    }
}

#ifdef STILLCUTTER_HAVE_SSSE3_PATH
// Four pixels (12 bytes) a step: one 16-byte load, one byte shuffle, one 16-byte store. The
// loop stops while at least two more pixels remain, so neither the 16-byte load nor the store
// reaches past the end of its row; the rest goes pixel by pixel.
__attribute__((target("ssse3"))) void SwapRowSsse3(const uint8_t* src, uint8_t* dst, size_t width)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    size_t i = 0;
    for (; i + 6 <= width; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(v, order));
        src += 12;
        dst += 12;
    }
    SwapRowPortable(src, dst, width - i);
}
#endif

RowFn PickRowFunction()
{
#ifdef STILLCUTTER_HAVE_SSSE3_PATH
    if (__builtin_cpu_supports("ssse3"))
        return SwapRowSsse3;
#endif
    return SwapRowPortable;
}

}  // namespace

void DibToRgbRows(const uint8_t* bits, uint32_t width, uint32_t height, uint32_t firstRow,
                  uint32_t rows, uint8_t* out)
{
    static const RowFn swapRow = PickRowFunction();
    const size_t stride = DibRowStride(width);
    const size_t outRow = size_t{width} * 3u;
    for (uint32_t r = firstRow; r < firstRow + rows; ++r) {
        // Picture row r (top first) is source row height - 1 - r (the source is bottom-up).
        swapRow(bits + size_t{height - 1 - r} * stride, out, width);
        out += outRow;
    }
}
