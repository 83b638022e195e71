#include "convert/frame_range.h"

#include <cmath>

namespace {

// The range boxes hold at most 99 characters and are read into a 100-byte buffer with its
// closing NUL, so only this many characters count.
constexpr size_t kReadLimit = 98;

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

uint32_t ParseFrameNumber(std::string_view text)
{
    text = text.substr(0, kReadLimit);
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;  // unsigned: wraps modulo 2^32 instead of overflowing
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + uint32_t(text[i] - '0');
    return negative ? 0u - value : value;
}

int ProgressPosition(uint32_t frame, uint32_t frameCount)
{
    const double step = 499.0 / double(frameCount);
    const double pos = std::trunc(step * double(frame));
    // At most 499 x (2^32 - 1), well inside 64 bits; the control keeps the low 16 bits.
    const auto whole = static_cast<int64_t>(pos);
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(whole) & 0xFFFFu));
}

bool ClampEndFrame(uint32_t& end, uint32_t frameCount)
{
    if (end < frameCount)
        return false;
    end = frameCount - 1;
    return true;
}
