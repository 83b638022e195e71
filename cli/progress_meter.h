// Progress of a conversion on standard error: on a terminal one line updated in place;
// elsewhere nothing unless plain lines were asked for (--progress); nothing with --quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressMeter {
public:
    enum class Style { kNone, kInPlace, kLines };

    // kInPlace when standard error is a terminal, kLines with --progress, kNone with -q.
    static Style StyleFor(bool quiet, bool progressLines);

    ProgressMeter(Style style, uint64_t total);
    ~ProgressMeter();  // ends an in-place line
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // `done` of the total frames are finished (written or kept).
    void Update(uint64_t done);
    // Shows the final state at once (whatever the pacing).
    void Finish(uint64_t done);

    // "12/300 frames, 45.6 fps, 0:06 left"
    static std::string Describe(uint64_t done, uint64_t total, double seconds);

private:
    void Show(uint64_t done);

    Style m_style;
    uint64_t m_total;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastShown;
    bool m_shownAny = false;
};
