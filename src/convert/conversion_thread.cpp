#include "convert/conversion_thread.h"

#include <cstdio>

#include "convert/frame_range.h"

namespace {

// The end-of-run signal: four short rising tones.
constexpr unsigned kEndBeeps[] = {440, 480, 520, 540};
constexpr unsigned kEndBeepMilliseconds = 10;

std::string FormatFrameNumber(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return text;
}

// Converts start..end (already clamped); returns whether any frame was handed to the host.
bool ConvertRange(ConversionHost& host, uint32_t start, uint32_t end)
{
    if (start > end)
        return false;
    host.PrepareRange(start, end);
    bool any = false;
    // end is at most frameCount - 1 < 2^32 - 1, so i + 1 never wraps before the test fails.
    for (uint32_t i = start; i <= end; ++i) {
        if (host.StopRequestedFlag().load())
            break;
        host.SendProgressPos(ProgressPosition(i, host.FrameCount()));
        any = true;
        if (!host.ConvertFrame(i))
            break;
    }
    return any;
}

}  // namespace

unsigned ConversionThreadProc(void* param)
{
    ConversionHost& host = *static_cast<ConversionHost*>(param);
    host.ConvertingFlag().store(true);

    const uint32_t start = ParseFrameNumber(host.StartFrameText());
    uint32_t end = ParseFrameNumber(host.EndFrameText());
    const uint32_t count = host.FrameCount();

    // A stream without frames has no last frame and no progress scale: nothing to convert.
    if (count != 0) {
        host.SendProgressPos(ProgressPosition(start, count));
        if (ClampEndFrame(end, count))
            host.SetEndFrameText(FormatFrameNumber(end));
        if (ConvertRange(host, start, end))
            host.ShowLastFrame();
    }

    host.SendProgressPos(PROGRESS_MAX);
    for (unsigned frequency : kEndBeeps)
        host.Beep(frequency, kEndBeepMilliseconds);
    host.SendProgressPos(0);

    host.ConvertingFlag().store(false);
    host.StopRequestedFlag().store(false);
    host.ConversionFinished();
    return 0;
}
