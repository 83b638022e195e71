#include "video_input.h"

#include "exit_status.h"

#include <cmath>
#include <cstdio>

StreamFacts FactsOf(const platform::AviStreamInfo& info)
{
    StreamFacts f;
    f.width = static_cast<uint32_t>(info.right - info.left);
    f.height = static_cast<uint32_t>(info.bottom - info.top);
    f.frames = info.dwLength;
    f.rate = info.dwRate;
    f.scale = info.dwScale;
    f.fps = static_cast<double>(info.dwRate) / static_cast<double>(info.dwScale);
    return f;
}

std::string FormatDuration(uint32_t frames, double fps)
{
    const double quotient = static_cast<double>(frames) / fps;
    uint32_t s = 0;
    if (quotient >= 0.0 && quotient < 4294967296.0)  // false for NaN and infinity
        s = static_cast<uint32_t>(quotient);
    s += 1;
    char text[48];
    std::snprintf(text, sizeof text, "%02lu:%02lu:%02lu", static_cast<unsigned long>(s / 3600),
                  static_cast<unsigned long>(s / 60 % 60), static_cast<unsigned long>(s % 60));
    return text;
}

std::string FormatFps(double fps)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", fps);
    return text;
}

bool OpenVideo(const std::string& path, VideoInput& input)
{
    std::string detail;
    input.stream = platform::AviStream::Open(path, &detail);
    if (!input.stream) {
        Fail(kExitFailure, "cannot read the video stream of '" + path + "'" +
                               (detail.empty() ? "" : ": " + detail));
        return false;
    }
    input.facts = FactsOf(input.stream->Info());
    return true;
}

bool OpenDecoder(const std::string& path, VideoInput& input)
{
    std::string detail;
    input.frames = platform::AviFrameSource::Open(*input.stream, &detail);
    if (!input.frames) {
        Fail(kExitFailure, "cannot decode the video stream of '" + path + "'" +
                               (detail.empty() ? "" : ": " + detail));
        return false;
    }
    return true;
}
