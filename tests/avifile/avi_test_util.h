// Helpers of the video source tests: opening a file's stream and frame source together,
// checksums and comparisons of handed-out DIBs, the raw BGR24 reference pictures.
#pragma once

#include "platform/avifile/avifile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace avitest {

struct Opened {
    std::unique_ptr<platform::AviStream> stream;
    std::unique_ptr<platform::AviFrameSource> source;
    uint32_t width = 0, height = 0, length = 0;
    explicit operator bool() const { return stream && source; }
};

// Opens the stream and its frame source (either may be null on failure).
Opened Open(const std::string& path);

// A checksum of the whole DIB (header and rows) of a width x height frame; 0 for null.
uint64_t DibChecksum(const uint8_t* dib, uint32_t width, uint32_t height);

// Checksums of frames 0 ... length - 1 fetched in order.
std::vector<uint64_t> SequentialChecksums(platform::AviFrameSource& source, uint32_t width, uint32_t height,
                                          uint32_t length);

// A picture as B,G,R bytes, top row first, no row padding.
struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgr;
    const uint8_t* Row(uint32_t y) const { return bgr.data() + static_cast<size_t>(y) * width * 3; }
};

// The DIB's pixels, turned top row first (empty picture for null).
Picture FromDib(const uint8_t* dib, uint32_t width, uint32_t height);

// The picture of rows in the stills' layout (R,G,B, top row first, no padding), its pixels'
// bytes turned back into B,G,R (empty picture for null).
Picture FromRgb(const uint8_t* rgb, uint32_t width, uint32_t height);

// Frame `index` of a raw BGR24 file of `width` x `height` pictures (empty when short).
Picture RawFrame(const std::string& rawBytes, uint32_t width, uint32_t height, uint32_t index);

// Peak signal-to-noise ratio of two pictures of the same size, in dB (1000 when equal).
double Psnr(const Picture& a, const Picture& b);

// The first differing byte of two pictures, described, or "" when equal.
std::string FirstDifference(const Picture& a, const Picture& b);

// Checks the fixed fields of the DIB's BITMAPINFOHEADER and that every row's padding is zero;
// returns "" when all hold, else what does not.
std::string CheckDibLayout(const uint8_t* dib, uint32_t width, uint32_t height);

}  // namespace avitest
