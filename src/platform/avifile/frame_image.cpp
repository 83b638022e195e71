#include "platform/avifile/frame_image.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace platform::avi {

namespace {

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr size_t kAlign = 64;

using SwapFunction = void (*)(const uint8_t* src, uint8_t* dst, size_t pixels);

void SwapPortable(const uint8_t* src, uint8_t* dst, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t first = src[0];
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = first;
        src += 3;
        dst += 3;
    }
}

#if defined(__x86_64__) || defined(__i386__)
#define STILLCUTTER_HAVE_X86_SWAP 1
// Four pixels (12 bytes) a step: one 16-byte load, one byte shuffle, one 16-byte store; the loop
// stops while at least two more pixels remain, so that neither reaches past the end.
__attribute__((target("ssse3"))) void SwapSsse3(const uint8_t* src, uint8_t* dst, size_t pixels)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    size_t i = 0;
    for (; i + 6 <= pixels; i += 4, src += 12, dst += 12)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), order));
    SwapPortable(src, dst, pixels - i);
}

// Eight pixels a step: two groups of four, one in each 16-byte half of the register (the byte
// shuffle does not cross the halves); about twice the speed of the SSSE3 loop.
__attribute__((target("avx2"))) void SwapAvx2(const uint8_t* src, uint8_t* dst, size_t pixels)
{
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15,
                                           2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    size_t i = 0;
    for (; i + 10 <= pixels; i += 8, src += 24, dst += 24) {
        const __m256i v = _mm256_shuffle_epi8(
            _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(src + 12), reinterpret_cast<const __m128i*>(src)),
            order);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 12), _mm256_extracti128_si256(v, 1));
    }
    SwapSsse3(src, dst, pixels - i);
}
#endif

SwapFunction PickSwap()
{
#ifdef STILLCUTTER_HAVE_X86_SWAP
    if (__builtin_cpu_supports("avx2"))
        return SwapAvx2;
    if (__builtin_cpu_supports("ssse3"))
        return SwapSsse3;
#endif
    return SwapPortable;
}

}  // namespace

FrameImage::FrameImage(FrameLayout layout, uint32_t width, uint32_t height)
    : m_layout(layout), m_width(width), m_height(height),
      m_stride(layout == FrameLayout::Dib ? DibStride(width) : width * 3u)
{
    const size_t header = layout == FrameLayout::Dib ? kDibHeaderSize : 0;
    const size_t rows = static_cast<size_t>(m_stride) * height;
    // Room to place the header just before a 64-byte boundary, plus slack after the last row.
    m_storage = std::make_unique<uint8_t[]>(header + rows + 2 * kAlign);
    const uintptr_t base = reinterpret_cast<uintptr_t>(m_storage.get());
    const uintptr_t pixels = (base + header + kAlign - 1) & ~(uintptr_t{kAlign} - 1);
    m_pixels = m_storage.get() + (pixels - base);
    m_data = m_pixels - header;
    m_top = layout == FrameLayout::Dib && height > 0 ? m_pixels + static_cast<size_t>(m_stride) * (height - 1) : m_pixels;
    if (layout != FrameLayout::Dib)
        return;
    uint8_t* h = m_data;
    Put32(h + 0, kDibHeaderSize);                   // biSize
    Put32(h + 4, width);                            // biWidth
    Put32(h + 8, height);                           // biHeight: positive, bottom-up
    h[12] = 1;                                      // biPlanes
    h[14] = 24;                                     // biBitCount
    Put32(h + 16, 0);                               // biCompression: BI_RGB
    Put32(h + 20, m_stride * height);               // biSizeImage
    // biXPelsPerMeter, biYPelsPerMeter, biClrUsed, biClrImportant stay 0
}

void FrameImage::Clear() { std::memset(m_pixels, 0, static_cast<size_t>(m_stride) * m_height); }

void FrameImage::ClearPadding()
{
    const uint32_t used = m_width * 3;
    if (used == m_stride)
        return;
    for (uint32_t y = 0; y < m_height; ++y)
        std::memset(m_pixels + static_cast<size_t>(y) * m_stride + used, 0, m_stride - used);
}

void SwapRedBlue(const uint8_t* src, uint8_t* dst, size_t pixels)
{
    static const SwapFunction swap = PickSwap();
    swap(src, dst, pixels);
}

void CopyPicture(const FrameImage& from, FrameImage& to)
{
    for (uint32_t y = 0; y < to.Height(); ++y)
        SwapRedBlue(from.Row(y), to.Row(y), to.Width());
    to.ClearPadding();
}

}  // namespace platform::avi
