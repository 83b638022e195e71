#include "platform/avifile/frame_converter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstring>

namespace platform::avi {

namespace {

// The yuvj formats are their yuv twins at full range; libswscale wants the range said apart.
AVPixelFormat WithoutJpegRange(AVPixelFormat f, bool& fullRange)
{
    switch (f) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return f;
    }
}

int SwsMatrix(AVColorSpace cs)
{
    switch (cs) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default: return SWS_CS_ITU601;  // BT.601 (470BG, SMPTE 170M) and streams that do not say
    }
}

bool IsYuv(const AVPixFmtDescriptor* d)
{
    return !(d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && d->nb_components >= 3;
}

std::string Name(int format)
{
    const char* n = av_get_pix_fmt_name(static_cast<AVPixelFormat>(format));
    return n ? n : "unknown format " + std::to_string(format);
}

// Top-down rows of 3 x `width` bytes with room after each row and after the last, for
// libswscale's vector code, which may write past a row's end.
size_t ScratchStride(int width) { return (static_cast<size_t>(width) * 3 + 63) / 64 * 64 + 64; }

}  // namespace

SwsContext* FrameConverter::Prepare(Scaler& s, const Key& key, bool yuv, int to, std::string& error)
{
    if (s.sws && key == s.key && to == s.to)
        return s.sws.get();
    // Exact for RGB sources (the unscaled RGB converters are plain copies and bit expansions);
    // the fast unscaled YUV path otherwise.
    const int flags = yuv ? SWS_BILINEAR : (SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_BITEXACT);
    s.sws.reset(sws_getCachedContext(s.sws.release(), key.width, key.height,
                                     static_cast<AVPixelFormat>(key.format), key.width, key.height,
                                     static_cast<AVPixelFormat>(to), flags, nullptr, nullptr, nullptr));
    if (!s.sws) {
        error = "cannot convert " + Name(key.format) + " " + std::to_string(key.width) + "x" +
                std::to_string(key.height) + " to " + Name(to) + " " + std::to_string(key.width) + "x" +
                std::to_string(key.height);
        return nullptr;
    }
    if (yuv) {
        sws_setColorspaceDetails(s.sws.get(), sws_getCoefficients(key.matrix), key.fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    s.key = key;
    s.to = to;
    return s.sws.get();
}

bool FrameConverter::RgbMirrorsBgr(const Key& key, bool yuv)
{
    if (key == m_probed)
        return m_probedMirrors;
    m_probed = key;
    m_probedMirrors = false;
    // Up to 64 rows of the full width (the vector code chosen depends on the width), of the
    // height's parity.
    Key probe = key;
    probe.height = key.height <= 64 ? key.height : 64 + (key.height & 1);
    FramePtr picture(av_frame_alloc());
    if (!picture)
        return false;
    picture->format = probe.format;
    picture->width = probe.width;
    picture->height = probe.height;
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        return false;
    uint32_t state = 0x9E3779B9u;
    for (AVBufferRef* buf : picture->buf) {
        if (!buf)
            continue;
        for (size_t i = 0; i < buf->size; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            buf->data[i] = static_cast<uint8_t>(state >> 24);
        }
    }
    const size_t stride = ScratchStride(probe.width);
    const size_t bytes = stride * (static_cast<size_t>(probe.height) + 1);
    std::vector<uint8_t> bgr(bytes), rgb(bytes);
    Scaler toBgr, toRgb;
    std::string ignored;
    SwsContext* a = Prepare(toBgr, probe, yuv, AV_PIX_FMT_BGR24, ignored);
    SwsContext* b = Prepare(toRgb, probe, yuv, AV_PIX_FMT_RGB24, ignored);
    if (!a || !b)
        return false;
    uint8_t* dstBgr[4] = {bgr.data(), nullptr, nullptr, nullptr};
    uint8_t* dstRgb[4] = {rgb.data(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(a, picture->data, picture->linesize, 0, probe.height, dstBgr, dstStride) != probe.height ||
        sws_scale(b, picture->data, picture->linesize, 0, probe.height, dstRgb, dstStride) != probe.height)
        return false;
    for (int y = 0; y < probe.height; ++y) {
        const uint8_t* p = bgr.data() + static_cast<size_t>(y) * stride;
        const uint8_t* q = rgb.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < probe.width; ++x, p += 3, q += 3)
            if (p[0] != q[2] || p[1] != q[1] || p[2] != q[0])
                return false;
    }
    m_probedMirrors = true;
    return true;
}

bool FrameConverter::Scale(SwsContext* sws, const AVFrame& frame, FrameImage& out, bool swap, std::string& error)
{
    const uint32_t w = out.Width(), h = out.Height();
    const bool sameSize = static_cast<uint32_t>(frame.width) == w && static_cast<uint32_t>(frame.height) == h;
    // Straight into the image (bottom-up DIB rows through a negative stride) when no vector
    // code can write past a row's end (widths that are a multiple of 16 pixels).
    if (sameSize && !swap && w % 16 == 0) {
        uint8_t* dst[4] = {out.Row(0), nullptr, nullptr, nullptr};
        const int dstStride[4] = {static_cast<int>(out.RowStep()), 0, 0, 0};
        if (sws_scale(sws, frame.data, frame.linesize, 0, frame.height, dst, dstStride) != frame.height) {
            error = "conversion of " + Name(frame.format) + " failed";
            return false;
        }
        return true;
    }
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    const size_t stride = ScratchStride(frame.width);
    m_scratch.resize(stride * (static_cast<size_t>(frame.height) + 1));
    uint8_t* dst[4] = {m_scratch.data(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(sws, frame.data, frame.linesize, 0, frame.height, dst, dstStride) != frame.height) {
        error = "conversion of " + Name(frame.format) + " failed";
        return false;
    }
    if (!sameSize)
        out.Clear();
    const uint32_t rows = std::min<uint32_t>(h, static_cast<uint32_t>(frame.height));
    const size_t bytes = std::min<size_t>(static_cast<size_t>(w) * 3, rowBytes);
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* src = m_scratch.data() + y * stride;
        if (swap)
            SwapRedBlue(src, out.Row(y), bytes / 3);
        else
            std::memcpy(out.Row(y), src, bytes);
    }
    out.ClearPadding();
    return true;
}

void FrameConverter::CopyPacked(const AVFrame& frame, FrameImage& out, bool swap)
{
    const size_t bytes = static_cast<size_t>(out.Width()) * 3;
    for (uint32_t y = 0; y < out.Height(); ++y) {
        const uint8_t* src = frame.data[0] + static_cast<ptrdiff_t>(frame.linesize[0]) * y;
        if (swap)
            SwapRedBlue(src, out.Row(y), out.Width());
        else
            std::memcpy(out.Row(y), src, bytes);
    }
}

bool FrameConverter::Convert(const AVFrame& frame, FrameImage& out, std::string& error)
{
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    if (!desc || frame.width <= 0 || frame.height <= 0 || !frame.data[0] ||
        (desc->flags & AV_PIX_FMT_FLAG_HWACCEL)) {
        error = "decoded picture has no usable format (" + Name(frame.format) + ")";
        return false;
    }
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat format = WithoutJpegRange(static_cast<AVPixelFormat>(frame.format), fullRange);
    const bool yuv = IsYuv(desc);
    const Key key{format, frame.width, frame.height, yuv ? SwsMatrix(frame.colorspace) : 0, yuv && fullRange ? 1 : 0};

    if (out.Layout() == FrameLayout::Dib) {
        SwsContext* sws = Prepare(m_toBgr, key, yuv, AV_PIX_FMT_BGR24, error);
        return sws && Scale(sws, frame, out, false, error);
    }
    const bool sameSize = static_cast<uint32_t>(frame.width) == out.Width() &&
                          static_cast<uint32_t>(frame.height) == out.Height();
    if (sameSize && (format == AV_PIX_FMT_BGR24 || format == AV_PIX_FMT_RGB24)) {
        CopyPacked(frame, out, format == AV_PIX_FMT_BGR24);
        return true;
    }
    if (RgbMirrorsBgr(key, yuv)) {
        SwsContext* sws = Prepare(m_toRgb, key, yuv, AV_PIX_FMT_RGB24, error);
        return sws && Scale(sws, frame, out, false, error);
    }
    SwsContext* sws = Prepare(m_toBgr, key, yuv, AV_PIX_FMT_BGR24, error);
    return sws && Scale(sws, frame, out, true, error);
}

}  // namespace platform::avi
