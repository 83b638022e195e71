// One packed 24-bit DIB of a fixed size: a 40-byte BITMAPINFOHEADER followed by B,G,R rows,
// bottom row first, DibStride(width) bytes apart, the padding bytes of each row zero. The
// pixel rows start on a 64-byte boundary so that libswscale can write them at full speed.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::avi {

class DibImage {
public:
    DibImage(uint32_t width, uint32_t height);
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t Stride() const { return m_stride; }
    size_t ByteSize() const { return m_size; }  // header and rows

    const uint8_t* Data() const { return m_data; }  // the header; the DIB handed out
    uint8_t* Pixels() { return m_data + 40; }       // the bottom row
    uint8_t* Row(uint32_t fromTop) { return Pixels() + static_cast<size_t>(m_height - 1 - fromTop) * m_stride; }

    // Sets every pixel to black (rows' padding stays zero).
    void Clear();
    // Zeroes the padding bytes after the last pixel of every row.
    void ClearPadding();

private:
    uint32_t m_width, m_height, m_stride;
    size_t m_size;
    std::unique_ptr<uint8_t[]> m_storage;
    uint8_t* m_data = nullptr;
};

}  // namespace platform::avi
