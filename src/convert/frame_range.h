// The plain arithmetic of a batch conversion, shared by the dialog's worker and the CLI.
#pragma once

#include <cstdint>
#include <string_view>

// PROGRESS_MAX: the top of the progress bar's range.
inline constexpr int PROGRESS_MAX = 499;

// The number in a range box by the C library's atoi rule: leading white space skipped, an
// optional sign, decimal digits up to the first other character accumulated modulo 2^32 and
// negated after a minus sign; no digits give 0. Only the first 98 characters are read.
uint32_t ParseFrameNumber(std::string_view text);

// pos(i) = (499.0 / frameCount) x i, truncated toward zero, its low 16 bits taken as a signed
// 16-bit number (the value the progress control receives). frameCount must not be 0.
int ProgressPosition(uint32_t frame, uint32_t frameCount);

// Clamps `end` to the last frame (frameCount - 1) when it lies past it; returns whether it
// did. frameCount must not be 0.
bool ClampEndFrame(uint32_t& end, uint32_t frameCount);
