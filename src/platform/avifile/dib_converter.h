// Colour conversion of decoded pictures into 24-bit DIBs through libswscale, with one
// conversion context per source format and size, made once and kept while they stay the same.
//
// RGB and palette sources are converted exactly (an uncompressed BGR24 source comes out byte for
// byte). YUV sources use the stream's colour matrix and range where the decoder reports them,
// BT.601 limited range where it does not; they take libswscale's fast unscaled path (the one the
// ffmpeg command line uses), whose chroma is not interpolated, because its exact-rounding path is
// several times slower than decoding.
#pragma once

#include "platform/avifile/dib_image.h"
#include "platform/avifile/ffmpeg_util.h"

#include <string>
#include <vector>

namespace platform::avi {

class DibConverter {
public:
    // Converts `frame` into `out`. A picture of another size than `out` is placed at its
    // top-left corner, cropped or padded with black. False (with `error` set) when libswscale
    // cannot convert the picture's format.
    bool Convert(const AVFrame& frame, DibImage& out, std::string& error);

private:
    struct Key {
        int format = -1;
        int width = 0;
        int height = 0;
        int matrix = 0;
        int fullRange = 0;
        bool operator==(const Key&) const = default;
    };
    bool Prepare(const Key& key, bool yuv, std::string& error);

    SwsContextPtr m_sws;
    Key m_key;
    std::vector<uint8_t> m_scratch;  // top-down rows for pictures that cannot go straight in
};

}  // namespace platform::avi
