#include "platform/avifile/dib_image.h"

#include "platform/avifile/avifile.h"

#include <cstring>

namespace platform::avi {

namespace {

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr size_t kAlign = 64;

}  // namespace

DibImage::DibImage(uint32_t width, uint32_t height)
    : m_width(width), m_height(height), m_stride(DibStride(width)),
      m_size(kDibHeaderSize + static_cast<size_t>(DibStride(width)) * height)
{
    // Room to place the header just before a 64-byte boundary, plus slack after the last row.
    m_storage = std::make_unique<uint8_t[]>(m_size + 2 * kAlign);
    const uintptr_t base = reinterpret_cast<uintptr_t>(m_storage.get());
    const uintptr_t pixels = (base + kDibHeaderSize + kAlign - 1) & ~(uintptr_t{kAlign} - 1);
    m_data = m_storage.get() + (pixels - kDibHeaderSize - base);

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

void DibImage::Clear() { std::memset(Pixels(), 0, static_cast<size_t>(m_stride) * m_height); }

void DibImage::ClearPadding()
{
    const uint32_t used = m_width * 3;
    if (used == m_stride)
        return;
    for (uint32_t y = 0; y < m_height; ++y)
        std::memset(Pixels() + static_cast<size_t>(y) * m_stride + used, 0, m_stride - used);
}

}  // namespace platform::avi
