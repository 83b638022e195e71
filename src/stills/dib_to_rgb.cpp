#include "stills/dib_to_rgb.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define STILLCUTTER_HAVE_SSSE3_PATH 1
#endif

namespace {

// Converts one row; `next` is the source row converted after it (the row itself for the last).
using RowFn = void (*)(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* next);

void SwapRowPortable(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* /*next*/)
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
__attribute__((target("ssse3"))) inline void SwapFourPixels(const uint8_t*& src, uint8_t*& dst)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(v, order));
    src += 12;
    dst += 12;
}

// Four pixels (12 bytes) a step: one 16-byte load, one byte shuffle, one 16-byte store. The
// loops stop while at least two more pixels remain, so neither the 16-byte load nor the store
// reaches past the end of its row; the rest goes pixel by pixel. The source rows run
// backwards through memory, which the processor's own prefetching does not follow from row to
// row, so the next row is fetched into the cache while this one is converted (one cache line
// every 48 bytes).
__attribute__((target("ssse3"))) void SwapRowSsse3(const uint8_t* src, uint8_t* dst, size_t width,
                                                   const uint8_t* next)
{
    size_t i = 0;
    for (; i + 22 <= width; i += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(next + 3 * i), _MM_HINT_T0);
        for (int k = 0; k < 4; ++k)
            SwapFourPixels(src, dst);
    }
    for (; i + 6 <= width; i += 4)
        SwapFourPixels(src, dst);
    SwapRowPortable(src, dst, width - i, nullptr);
}

// Eight pixels a step, two groups of four, one in each 16-byte half of the register (the byte
// shuffle does not cross the halves): about twice the speed of the SSSE3 loop. Prefetching and
// the tail as there.
__attribute__((target("avx2"))) inline void SwapEightPixels(const uint8_t*& src, uint8_t*& dst)
{
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15,
                                           2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    const __m256i v = _mm256_shuffle_epi8(
        _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(src + 12), reinterpret_cast<const __m128i*>(src)),
        order);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 12), _mm256_extracti128_si256(v, 1));
    src += 24;
    dst += 24;
}

__attribute__((target("avx2"))) void SwapRowAvx2(const uint8_t* src, uint8_t* dst, size_t width,
                                                 const uint8_t* next)
{
    size_t i = 0;
    for (; i + 18 <= width; i += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(next + 3 * i), _MM_HINT_T0);
        SwapEightPixels(src, dst);
        SwapEightPixels(src, dst);
    }
    for (; i + 6 <= width; i += 4)
        SwapFourPixels(src, dst);
    SwapRowPortable(src, dst, width - i, nullptr);
}
#endif

RowFn PickRowFunction()
{
#ifdef STILLCUTTER_HAVE_SSSE3_PATH
    if (__builtin_cpu_supports("avx2"))
        return SwapRowAvx2;
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
        const uint8_t* src = bits + size_t{height - 1 - r} * stride;
        swapRow(src, out, width, r + 1 < height ? src - stride : src);
        out += outRow;
    }
}
