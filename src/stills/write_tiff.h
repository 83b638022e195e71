// The TIFF still writer: one frame as an uncompressed 24-bit RGB TIFF file with a fixed
// 256-byte header and one strip. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Writes the frame `bits` (24-bit B,G,R rows, bottom row first, DIB stride apart, at least
// height x stride bytes) to `path`, replacing a file of that name. Returns true only when the
// whole file reached the file system and was closed; on any failure the partial file is
// removed (a device or anything that is not a regular file this call created or truncated is
// left alone) and false is returned. Frames wider or taller than 65,535 pixels, or whose
// 3 x width x height leaves 32 bits, are refused: false, nothing written.
bool WriteTiff(const char* path, uint32_t width, uint32_t height, const uint8_t* bits);

// Size of the file WriteTiff writes: 256 + 3 x width x height.
inline constexpr uint64_t TiffFileSize(uint32_t width, uint32_t height)
{
    return 256u + 3ull * width * height;
}

// Test hook: replaces the write(2) calls of WriteTiff. Empty restores the system call.
using TiffWriteHook = std::function<long(int fd, const void* data, size_t size)>;
void SetTiffWriteHook(TiffWriteHook hook);
