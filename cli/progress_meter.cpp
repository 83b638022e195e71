#include "progress_meter.h"

#include <cstdio>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// In place: ten times a second is smooth enough; lines: once a second suits a log.
Clock::duration Pace(ProgressMeter::Style style)
{
    return style == ProgressMeter::Style::kLines ? std::chrono::seconds(1)
                                                 : std::chrono::milliseconds(100);
}

}  // namespace

ProgressMeter::Style ProgressMeter::StyleFor(bool quiet, bool progressLines)
{
    if (quiet)
        return Style::kNone;
    if (progressLines)
        return Style::kLines;
    return ::isatty(STDERR_FILENO) ? Style::kInPlace : Style::kNone;
}

ProgressMeter::ProgressMeter(Style style, uint64_t total)
    : m_style(style), m_total(total), m_start(Clock::now()), m_lastShown(m_start)
{
}

ProgressMeter::~ProgressMeter()
{
    if (m_style == Style::kInPlace && m_shownAny)
        std::fputc('\n', stderr);
}

std::string ProgressMeter::Describe(uint64_t done, uint64_t total, double seconds)
{
    const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    char text[160];
    int n = std::snprintf(text, sizeof text, "%llu/%llu frames, %.1f fps",
                          static_cast<unsigned long long>(done),
                          static_cast<unsigned long long>(total), fps);
    if (fps > 0 && done < total) {
        const auto left = static_cast<unsigned long long>(static_cast<double>(total - done) / fps + 0.5);
        if (left >= 3600)
            std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ", %llu:%02llu:%02llu left",
                          left / 3600, left / 60 % 60, left % 60);
        else
            std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ", %llu:%02llu left",
                          left / 60, left % 60);
    }
    return text;
}

void ProgressMeter::Update(uint64_t done)
{
    if (m_style == Style::kNone)
        return;
    const auto now = Clock::now();
    if (now - m_lastShown < Pace(m_style))
        return;
    m_lastShown = now;
    Show(done);
}

void ProgressMeter::Finish(uint64_t done)
{
    if (m_style != Style::kNone)
        Show(done);
}

void ProgressMeter::Show(uint64_t done)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
    const std::string text = Describe(done, m_total, seconds);
    if (m_style == Style::kInPlace)
        std::fprintf(stderr, "\r%s\033[K", text.c_str());
    else
        std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    m_shownAny = true;
}
