#include "platform/avifile/ffmpeg_util.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace platform::avi {

namespace {

thread_local std::string t_lastMessage;

void LogCallback(void* avcl, int level, const char* fmt, va_list args)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 1;
    // av_log_format_line2 keeps the "[avi @ 0x...]" context prefix that names the component.
    if (av_log_format_line2(avcl, level, fmt, args, line, sizeof line, &prefix) < 0)
        return;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    t_lastMessage = std::move(text);
}

}  // namespace

void CaptureLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_ERROR);
        av_log_set_callback(LogCallback);
    });
}

std::string LastLibraryMessage() { return t_lastMessage; }

std::string DescribeError(const std::string& what, int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    std::string text = what + ": " + buf;
    if (!t_lastMessage.empty())
        text += " (" + t_lastMessage + ")";
    return text;
}

FramePtr RefFrame(const AVFrame* src)
{
    if (!src)
        return nullptr;
    FramePtr copy(av_frame_alloc());
    if (!copy || av_frame_ref(copy.get(), src) < 0)
        return nullptr;
    return copy;
}

}  // namespace platform::avi
