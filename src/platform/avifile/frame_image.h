// One decoded frame of a fixed size in one of the two layouts a frame source hands out:
//  - Dib: a packed 24-bit DIB, a 40-byte BITMAPINFOHEADER followed by B,G,R rows, bottom row
//    first, DibStride(width) bytes apart, the padding bytes of each row zero;
//  - Rgb: R,G,B rows, top row first, 3 x width bytes apart, no header and no padding (the
//    pixel data of a TIFF still).
// The pixel rows start on a 64-byte boundary, and 64 bytes of slack follow the last one, so
// that libswscale can write them at full speed.
#pragma once

#include "platform/avifile/avifile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform::avi {

class FrameImage {
public:
    FrameImage(FrameLayout layout, uint32_t width, uint32_t height);
    FrameImage(const FrameImage&) = delete;
    FrameImage& operator=(const FrameImage&) = delete;

    FrameLayout Layout() const { return m_layout; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Stride() const { return m_stride; }  // bytes from one row to the next in memory

    // What is handed out: the DIB's header, or the top row of the RGB rows.
    const uint8_t* Data() const { return m_data; }
    // Picture row `fromTop` (0 is the top row), and the signed distance in bytes from a row
    // to the one below it.
    uint8_t* Row(uint32_t fromTop) { return m_top + RowStep() * static_cast<ptrdiff_t>(fromTop); }
    const uint8_t* Row(uint32_t fromTop) const { return m_top + RowStep() * static_cast<ptrdiff_t>(fromTop); }
    ptrdiff_t RowStep() const { return m_layout == FrameLayout::Dib ? -ptrdiff_t{m_stride} : ptrdiff_t{m_stride}; }

    // Sets every pixel to black (rows' padding stays zero).
    void Clear();
    // Zeroes the padding bytes after the last pixel of every row (none in the Rgb layout).
    void ClearPadding();

private:
    FrameLayout m_layout;
    uint32_t m_width, m_height, m_stride;
    std::unique_ptr<uint8_t[]> m_storage;
    uint8_t* m_data = nullptr;    // header (Dib) or top row (Rgb)
    uint8_t* m_pixels = nullptr;  // the first row in memory
    uint8_t* m_top = nullptr;     // the top row of the picture
};

// Copies the picture of `from` into `to` (of the same size), turning it into `to`'s layout;
// the two layouts differ in row order and in the order of a pixel's bytes, so every copy
// between them reverses both. Exact: the same bytes, moved.
void CopyPicture(const FrameImage& from, FrameImage& to);

// Reverses the byte order of `pixels` 3-byte pixels (B,G,R <-> R,G,B) from `src` to `dst`.
void SwapRedBlue(const uint8_t* src, uint8_t* dst, size_t pixels);

}  // namespace platform::avi
