// The TIFF still writer: one frame as an uncompressed 24-bit RGB TIFF file with a fixed
// 256-byte header and one strip. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct iovec;

// Writes the frame `bits` (24-bit B,G,R rows, bottom row first, DIB stride apart, at least
// height x stride bytes) to `path`, replacing a file of that name. Returns true only when the
// whole file reached the file system and was closed; on any failure the partial file is
// removed (a device or anything that is not a regular file this call created or truncated is
// left alone) and false is returned. Frames wider or taller than 65,535 pixels, or whose
// 3 x width x height leaves 32 bits, are refused: false, nothing written.
bool WriteTiff(const char* path, uint32_t width, uint32_t height, const uint8_t* bits);

// The same file from pixels already in the file's order: `rgbTopDown` holds height rows, top
// row first, of width pixels R,G,B each, with no padding (3 x width x height bytes), and goes
// out as it is, with no copy: the header and the first rows in one writev(2), the rest in
// pieces of half a megabyte. Result, failures and refusals as for WriteTiff; for the same
// frame both write the same bytes.
bool WriteTiffRgb(const char* path, uint32_t width, uint32_t height, const uint8_t* rgbTopDown);

// Size of the file WriteTiff writes: 256 + 3 x width x height.
inline constexpr uint64_t TiffFileSize(uint32_t width, uint32_t height)
{
    return 256u + 3ull * width * height;
}

// Test hooks for the system calls that write the file, one at a time (installing one removes
// the other); empty restores the system call.
// TiffWriteHook stands for write(2): the writers hand it the first unwritten piece of what
// they would pass to writev(2), which is what a writev that stops short would have written.
using TiffWriteHook = std::function<long(int fd, const void* data, size_t size)>;
void SetTiffWriteHook(TiffWriteHook hook);
// TiffWritevHook stands for writev(2) itself.
using TiffWritevHook = std::function<long(int fd, const struct iovec* iov, int count)>;
void SetTiffWritevHook(TiffWritevHook hook);
