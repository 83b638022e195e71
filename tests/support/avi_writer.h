// A small AVI writer for test fixtures that the ffmpeg command line cannot make: uncompressed
// DIB frames of any bit depth (8-bit palette, 16-bit RGB555 or RGB565 bit fields, 24, 32),
// bottom-up or top-down rows, null (zero-size) chunks, chosen header values (dwRate, dwScale,
// dwStart, dwLength, rcFrame), with or without an index, and an OpenDML frame-count header.
// The result is the file's bytes, so a test can damage or cut it before writing it out.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace avi_writer {

struct Rect {
    int16_t left = 0, top = 0, right = 0, bottom = 0;
};

struct VideoStream {
    uint32_t width = 0;
    uint32_t height = 0;        // positive; `topDown` writes it negative
    bool topDown = false;
    uint16_t bitCount = 24;
    uint32_t compression = 0;   // 0 = BI_RGB, 3 = BI_BITFIELDS, or a FourCC
    uint32_t handler = 0;       // strh fccHandler
    std::vector<uint32_t> masks;    // written after the header (BI_BITFIELDS: R, G, B)
    std::vector<uint32_t> palette;  // RGBQUAD entries as 0x00RRGGBB
    uint32_t rate = 25;
    uint32_t scale = 1;
    uint32_t start = 0;
    std::optional<uint32_t> length;         // dwLength; default: the number of chunks
    std::optional<Rect> frame;              // rcFrame; default: 0, 0, width, height
    std::optional<uint32_t> odmlTotalFrames; // writes LIST odml / dmlh with this count
    bool index = true;                       // write idx1
};

// One chunk of the movi list. Empty data is a null (zero-size) chunk.
struct Chunk {
    std::string data;
    bool keyframe = true;
};

// The bytes of a complete AVI file with the one video stream (and, when `withAudio`, a short
// PCM audio stream interleaved before the video, to check that the video stream is found).
std::string Make(const VideoStream& video, const std::vector<Chunk>& chunks, bool withAudio = false);

// Packs one picture as DIB rows in the layout of `video`: rows padded to 4 bytes, bottom row
// first unless `topDown`. `pixel(x, y)` gives the value of the pixel at column x of row y,
// counted from the top: the palette index (8 bits), the 16-bit word, 0x00RRGGBB (24 bits) or
// 0xAARRGGBB (32 bits).
std::string PackRows(const VideoStream& video, const std::function<uint32_t(uint32_t x, uint32_t y)>& pixel);

// Writes `bytes` to `path`; false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace avi_writer
