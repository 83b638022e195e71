// Frame file naming: directory/HH,MM,SS,FF.tif from the frame's timecode, in 7-bit fixed-point
// arithmetic on the frame rate. Plain C++.
#pragma once

#include <cstdint>
#include <string>

// True when `fps` can name frames: at least 1 frame a second and a fixed-point rate
// (fps x 128) that fits 32 bits; false for NaN and infinity.
bool IsNamingRate(double fps);

// The name of frame `frame` in `directory` (used unchanged, then "/"). The caller makes sure
// IsNamingRate(fps) holds. The hours field is not wrapped.
std::string MakeFrameFileName(const std::string& directory, uint32_t frame, double fps);
