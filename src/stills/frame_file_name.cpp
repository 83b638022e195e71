#include "stills/frame_file_name.h"

#include <cstdio>

namespace {

// The frame rate in fixed point with 7 fraction bits, truncated toward zero.
uint64_t FixedPointRate(double fps)
{
    return static_cast<uint64_t>(fps * 128.0);
}

}  // namespace

bool IsNamingRate(double fps)
{
    // Written so that NaN fails every comparison; the upper test also keeps the conversion
    // to an integer defined (infinity and huge rates never reach it).
    if (!(fps >= 1.0) || !(fps * 128.0 < 4294967296.0))
        return false;
    const uint64_t rate = FixedPointRate(fps);
    return rate >= 128 && rate <= 0xFFFFFFFFu;
}

std::string MakeFrameFileName(const std::string& directory, uint32_t frame, double fps)
{
    const uint64_t rate = FixedPointRate(fps) & 0xFFFFFFFFu;
    // 64-bit products: frame x 128 leaves 32 bits from frame 33,554,432 on.
    const uint64_t seconds = (uint64_t{frame} * 128u) / rate;
    const uint64_t frameField = frame - ((seconds * rate) >> 7);
    const unsigned long hours = static_cast<unsigned long>(seconds / 3600);  // not wrapped
    const unsigned long minutes = static_cast<unsigned long>((seconds / 60) % 60);
    const unsigned long secs = static_cast<unsigned long>(seconds % 60);

    char fields[96];
    const int length = std::snprintf(fields, sizeof fields, "/%02lu,%02lu,%02lu,%02lu.tif", hours,
                                     minutes, secs, static_cast<unsigned long>(frameField));
    std::string name;
    name.reserve(directory.size() + static_cast<size_t>(length));
    name.append(directory).append(fields, static_cast<size_t>(length));
    return name;
}
