#include "platform/avifile/dib_converter.h"

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

}  // namespace

bool DibConverter::Prepare(const Key& key, bool yuv, std::string& error)
{
    if (m_sws && key == m_key)
        return true;
    // Exact for RGB sources (the unscaled RGB converters are plain copies and bit expansions);
    // the fast unscaled YUV path otherwise.
    const int flags = yuv ? SWS_BILINEAR : (SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_BITEXACT);
    m_sws.reset(sws_getCachedContext(m_sws.release(), key.width, key.height,
                                     static_cast<AVPixelFormat>(key.format), key.width, key.height,
                                     AV_PIX_FMT_BGR24, flags, nullptr, nullptr, nullptr));
    if (!m_sws) {
        error = "cannot convert " + Name(key.format) + " " + std::to_string(key.width) + "x" +
                std::to_string(key.height) + " to bgr24 " + std::to_string(key.width) + "x" +
                std::to_string(key.height);
        return false;
    }
    if (yuv) {
        sws_setColorspaceDetails(m_sws.get(), sws_getCoefficients(key.matrix), key.fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    m_key = key;
    return true;
}

bool DibConverter::Convert(const AVFrame& frame, DibImage& out, std::string& error)
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
    Key key{format, frame.width, frame.height, yuv ? SwsMatrix(frame.colorspace) : 0, yuv && fullRange ? 1 : 0};
    if (!Prepare(key, yuv, error))
        return false;

    const uint32_t w = out.Width(), h = out.Height();
    const bool sameSize = static_cast<uint32_t>(frame.width) == w && static_cast<uint32_t>(frame.height) == h;
    // Straight into the DIB, bottom-up through a negative stride, when no vector code can write
    // past a row's end (widths that are a multiple of 16 pixels).
    if (sameSize && w % 16 == 0) {
        uint8_t* dst[4] = {out.Row(0), nullptr, nullptr, nullptr};
        int dstStride[4] = {-static_cast<int>(out.Stride()), 0, 0, 0};
        if (sws_scale(m_sws.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) != frame.height) {
            error = "conversion of " + Name(format) + " failed";
            return false;
        }
        return true;
    }
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    const size_t stride = (rowBytes + 63) / 64 * 64 + 64;
    m_scratch.resize(stride * (static_cast<size_t>(frame.height) + 1));
    uint8_t* dst[4] = {m_scratch.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(stride), 0, 0, 0};
    if (sws_scale(m_sws.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) != frame.height) {
        error = "conversion of " + Name(format) + " failed";
        return false;
    }
    if (!sameSize)
        out.Clear();
    const uint32_t rows = std::min<uint32_t>(h, static_cast<uint32_t>(frame.height));
    const size_t bytes = std::min<size_t>(static_cast<size_t>(w) * 3, rowBytes);
    for (uint32_t y = 0; y < rows; ++y)
        std::memcpy(out.Row(y), m_scratch.data() + y * stride, bytes);
    out.ClearPadding();
    return true;
}

}  // namespace platform::avi
