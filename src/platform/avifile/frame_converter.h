// Colour conversion of decoded pictures into the two layouts of FrameImage through libswscale,
// with one conversion context per source format and size and target layout, made once and kept
// while they stay the same.
//
// RGB and palette sources are converted exactly (an uncompressed BGR24 source comes out byte for
// byte). YUV sources use the stream's colour matrix and range where the decoder reports them,
// BT.601 limited range where it does not; they take libswscale's fast unscaled path (the one the
// ffmpeg command line uses), whose chroma is not interpolated, because its exact-rounding path is
// several times slower than decoding.
//
// The Rgb layout holds exactly the bytes of the Dib layout, rows and pixel bytes reversed. For
// most formats libswscale's RGB24 output is the mirror of its BGR24 output, but not for all (some
// of its vector code exists for BGR24 only and rounds differently): a small picture of random
// samples, converted both ways, tells for each source format and size. Where they differ the
// picture goes through BGR24, and its pixels are turned around.
#pragma once

#include "platform/avifile/ffmpeg_util.h"
#include "platform/avifile/frame_image.h"

#include <string>
#include <vector>

namespace platform::avi {

class FrameConverter {
public:
    // Converts `frame` into `out`, in `out`'s layout. A picture of another size than `out` is
    // placed at its top-left corner, cropped or padded with black. False (with `error` set)
    // when libswscale cannot convert the picture's format.
    bool Convert(const AVFrame& frame, FrameImage& out, std::string& error);

private:
    struct Key {
        int format = -1;
        int width = 0;
        int height = 0;
        int matrix = 0;
        int fullRange = 0;
        bool operator==(const Key&) const = default;
    };
    // A conversion context from pictures of `key` to one 24-bit format.
    struct Scaler {
        SwsContextPtr sws;
        Key key;
        int to = -1;
    };
    static SwsContext* Prepare(Scaler& scaler, const Key& key, bool yuv, int to, std::string& error);
    // Whether libswscale's RGB24 output for pictures of `key` mirrors its BGR24 output.
    bool RgbMirrorsBgr(const Key& key, bool yuv);
    // Converts with `sws` into `out`; `swap` turns each pixel's bytes around on the way.
    bool Scale(SwsContext* sws, const AVFrame& frame, FrameImage& out, bool swap, std::string& error);
    // RGB24 and BGR24 pictures into the Rgb layout: their bytes, moved.
    static void CopyPacked(const AVFrame& frame, FrameImage& out, bool swap);

    Scaler m_toBgr;
    Scaler m_toRgb;
    Key m_probed;  // the key RgbMirrorsBgr answered for last
    bool m_probedMirrors = false;
    std::vector<uint8_t> m_scratch;  // top-down rows for pictures that cannot go straight in
};

}  // namespace platform::avi
