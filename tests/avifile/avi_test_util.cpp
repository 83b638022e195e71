#include "avi_test_util.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace avitest {

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

}  // namespace

Opened Open(const std::string& path)
{
    Opened o;
    o.stream = platform::AviStream::Open(path);
    if (!o.stream)
        return o;
    const platform::AviStreamInfo& info = o.stream->Info();
    o.width = static_cast<uint32_t>(info.right - info.left);
    o.height = static_cast<uint32_t>(info.bottom - info.top);
    o.length = info.dwLength;
    o.source = platform::AviFrameSource::Open(*o.stream);
    return o;
}

uint64_t DibChecksum(const uint8_t* dib, uint32_t width, uint32_t height)
{
    if (!dib)
        return 0;
    const size_t size = platform::kDibHeaderSize + static_cast<size_t>(platform::DibStride(width)) * height;
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) {
        h ^= dib[i];
        h *= 1099511628211ull;
    }
    return h | 1;  // never 0, which stands for a null frame
}

std::vector<uint64_t> SequentialChecksums(platform::AviFrameSource& source, uint32_t width, uint32_t height,
                                          uint32_t length)
{
    std::vector<uint64_t> sums;
    for (uint32_t i = 0; i < length; ++i)
        sums.push_back(DibChecksum(source.GetFrame(i), width, height));
    return sums;
}

Picture FromDib(const uint8_t* dib, uint32_t width, uint32_t height)
{
    Picture p;
    if (!dib)
        return p;
    p.width = width;
    p.height = height;
    p.bgr.resize(static_cast<size_t>(width) * height * 3);
    const uint32_t stride = platform::DibStride(width);
    const uint8_t* rows = dib + platform::kDibHeaderSize;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = rows + static_cast<size_t>(height - 1 - y) * stride;
        std::copy(src, src + static_cast<size_t>(width) * 3, p.bgr.begin() + static_cast<std::ptrdiff_t>(y) * width * 3);
    }
    return p;
}

Picture FromRgb(const uint8_t* rgb, uint32_t width, uint32_t height)
{
    Picture p;
    if (!rgb)
        return p;
    p.width = width;
    p.height = height;
    p.bgr.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < p.bgr.size(); i += 3) {
        p.bgr[i] = rgb[i + 2];
        p.bgr[i + 1] = rgb[i + 1];
        p.bgr[i + 2] = rgb[i];
    }
    return p;
}

Picture RawFrame(const std::string& raw, uint32_t width, uint32_t height, uint32_t index)
{
    Picture p;
    const size_t size = static_cast<size_t>(width) * height * 3;
    if (raw.size() < size * (index + 1))
        return p;
    p.width = width;
    p.height = height;
    p.bgr.assign(raw.begin() + static_cast<std::ptrdiff_t>(size * index),
                 raw.begin() + static_cast<std::ptrdiff_t>(size * (index + 1)));
    return p;
}

double Psnr(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.bgr.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        const double d = static_cast<double>(a.bgr[i]) - b.bgr[i];
        sum += d * d;
    }
    if (sum == 0)
        return 1000;
    const double mse = sum / static_cast<double>(a.bgr.size());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

std::string FirstDifference(const Picture& a, const Picture& b)
{
    std::ostringstream s;
    if (a.width != b.width || a.height != b.height || a.bgr.size() != b.bgr.size()) {
        s << "sizes differ: " << a.width << "x" << a.height << " and " << b.width << "x" << b.height;
        return s.str();
    }
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        if (a.bgr[i] != b.bgr[i]) {
            const size_t pixel = i / 3;
            s << "pixel (" << pixel % a.width << ", " << pixel / a.width << ") channel " << "BGR"[i % 3] << ": "
              << int(a.bgr[i]) << " vs " << int(b.bgr[i]);
            return s.str();
        }
    }
    return "";
}

std::string CheckDibLayout(const uint8_t* dib, uint32_t width, uint32_t height)
{
    if (!dib)
        return "null frame";
    std::ostringstream s;
    const uint32_t stride = platform::DibStride(width);
    auto field = [&](const char* name, uint32_t got, uint32_t want) {
        if (got != want)
            s << name << " is " << got << ", not " << want << "; ";
    };
    field("biSize", Get32(dib), 40);
    field("biWidth", Get32(dib + 4), width);
    field("biHeight", Get32(dib + 8), height);
    field("biPlanes", dib[12] | dib[13] << 8, 1);
    field("biBitCount", dib[14] | dib[15] << 8, 24);
    field("biCompression", Get32(dib + 16), 0);
    field("biSizeImage", Get32(dib + 20), stride * height);
    field("biClrUsed", Get32(dib + 32), 0);
    const uint8_t* rows = dib + platform::kDibHeaderSize;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = width * 3; x < stride; ++x)
            if (rows[static_cast<size_t>(y) * stride + x] != 0) {
                s << "padding byte " << x << " of row " << y << " is not zero; ";
                y = height;
                break;
            }
    return s.str();
}

}  // namespace avitest
